#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""map_picture_test.py [--render] SEGMENTOR SURVEY: the survey map of a survey of known geometry parsed
as XML (a track per segment through its records, one scale, X right, Y up; the names as text, a colour
per name), or drawn by rsvg-convert (each track's colour where its records fall; 77, skipped, without it)."""
import os, shutil, struct, subprocess, sys, tempfile, zlib
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def check_xml(survey, root):
    segments = []  # [(identifier, [(x, y), ...])] in input order
    for line in open(survey).readlines()[1:]:
        ident, x, y = line.split()
        if not segments or segments[-1][0] != ident:
            segments.append((ident, []))
        segments[-1][1].append((float(x), float(y)))
    tracks = tracks_of(root)
    assert [t[0] for t in tracks] == [s[0] for s in segments], tracks
    (x0, y0), (x1, _) = segments[0][1][:2]
    (p0, q0), (p1, _) = tracks[0][2][:2]
    scale = (p1 - p0) / (x1 - x0)
    assert scale > 0, "X runs to the right"
    texts = [t.text for t in root.iter(SVG + "text")]
    for (ident, records), (_, _, points) in zip(segments, tracks):
        assert len(points) == len(records) and ident in texts, (ident, points)
        for (x, y), (p, q) in zip(records, points):  # the same scale for Y, which runs up
            assert abs(p - (p0 + scale * (x - x0))) <= 0.1 and abs(q - (q0 - scale * (y - y0))) <= 0.1, (x, y, p, q)
    colour = {}
    for ident, stroke, _ in tracks:
        assert colour.setdefault(ident, stroke) == stroke, ident
    assert len(set(colour.values())) == len(colour), colour


def tracks_of(root):  # [(title, stroke, [(px, py), ...])]
    return [(p.find(SVG + "title").text, p.get("stroke"),
             [tuple(map(float, xy.split(","))) for xy in p.get("points").split()])
            for p in root.iter(SVG + "polyline")]


def png_rows(path):  # the rows of (r, g, b) of an 8-bit RGB or RGBA PNG
    data, at, idat = open(path, "rb").read(), 8, b""
    while at < len(data):
        n, kind = struct.unpack(">I4s", data[at:at + 8])
        if kind == b"IHDR":
            width, height, depth, colour_type = struct.unpack(">IIBB", data[at + 8:at + 18])
            assert depth == 8 and colour_type in (2, 6), (depth, colour_type)
            size = 4 if colour_type == 6 else 3
        idat += data[at + 8:at + 8 + n] if kind == b"IDAT" else b""
        at += 12 + n
    raw, stride, rows, prior = zlib.decompress(idat), width * size, [], bytearray(width * size)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):  # the five filters of PNG
            a, b, c = line[i - size] if i >= size else 0, prior[i], prior[i - size] if i >= size else 0
            pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
            paeth = a if pa <= pb and pa <= pc else b if pb <= pc else c
            line[i] = (line[i] + (0, a, b, (a + b) // 2, paeth)[kind]) & 0xFF
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, size)])
        prior = line
    return rows


def check_render(svg, root, folder):
    png = os.path.join(folder, "map.png")
    subprocess.run(["rsvg-convert", "-o", png, svg], check=True)
    rows = png_rows(png)
    for ident, stroke, points in tracks_of(root):
        want = tuple(int(stroke[i:i + 2], 16) for i in (1, 3, 5))
        for p, q in points:
            near = [rows[int(q) + dy][int(p) + dx] for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
            assert any(sum(abs(a - b) for a, b in zip(c, want)) <= 60 for c in near), (ident, p, q, near)


def main():
    render = sys.argv[1] == "--render"
    segmentor, survey = sys.argv[1 + render:]
    if render and not shutil.which("rsvg-convert"):
        print("skipped: rsvg-convert is not installed (Debian: librsvg2-bin)")
        return 77
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(survey, os.path.join(folder, "survey.xyz"))
        subprocess.run([segmentor, "--quiet", "--map", "map.svg", "survey.xyz", "1", "1", "2", "3", ""],
                       cwd=folder, check=True)
        svg = os.path.join(folder, "map.svg")
        check_render(svg, ET.parse(svg).getroot(), folder) if render else check_xml(survey, ET.parse(svg).getroot())
    return 0


if __name__ == "__main__":
    sys.exit(main())
