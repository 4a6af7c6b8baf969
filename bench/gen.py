#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Make a survey XY data file for the segmentor benchmark.

    gen.py [--records N] [--lines L] [--seed S] [--nhead H] [--extra K]
           [--sep mixed|blank|comma|tab] [--eol lf|crlf] [--revisit P]
           [--width W] [-o FILE]

The file holds H header lines, then L survey lines (segments) of consecutive
records, N records in all.  A record looks like

    L0012 512345.25 4231234.50 12.3

with the line name in column 1, X in column 2, Y in column 3 and K more
columns (elevation, then field readings).  Run segmentor on it with
nHead H, LineCol 1, XCol 2, YCol 3.

Every survey line walks roughly east, north, west or south (in turn) in steps
of about 12.5 m with some cross-track wander, so all four direction codes
appear.

--sep blank   one blank between fields
--sep comma   one comma between fields
--sep tab     one TAB between fields
--sep mixed   each gap is drawn from blanks, TAB, "," and ", "; some records
              get leading or trailing blanks
--revisit P   each segment after the second takes, with probability P, the
              name of an earlier segment other than the one just before it
              (the same line name then occurs in separate segments)
--width W     every record is W characters long (before any leading or
              trailing blanks of --sep mixed): field readings are added after
              the K columns, the last one cut to fit

Only random.Random(seed).random() is used, whose sequence Python keeps the
same from version to version, and numbers are formatted with fixed decimals:
the same arguments give the same bytes.
"""
import argparse
import random
import sys

GAPS = (" ", "  ", "   ", "\t", ",", ", ", " ,", "\t ")
# (dx, dy) of the main heading of a survey line, taken in turn
HEADINGS = ((1, 0), (0, 1), (-1, 0), (0, -1))


def parse_args(argv):
    p = argparse.ArgumentParser(description="Make a survey XY data file.")
    p.add_argument("--records", type=int, default=100_000)
    p.add_argument("--lines", type=int, default=100)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--nhead", type=int, default=1)
    p.add_argument("--extra", type=int, default=1,
                   help="columns after X and Y (default 1: elevation)")
    p.add_argument("--sep", choices=("mixed", "blank", "comma", "tab"),
                   default="mixed")
    p.add_argument("--eol", choices=("lf", "crlf"), default="lf")
    p.add_argument("--revisit", type=float, default=0.0)
    p.add_argument("--width", type=int, default=0,
                   help="length of every record (default 0: as the fields make it)")
    p.add_argument("-o", "--output", help="output file (default: stdout)")
    a = p.parse_args(argv)
    if a.records < 0 or a.lines < 1 or a.nhead < 0 or a.extra < 0 or a.width < 0:
        p.error("records >= 0, lines >= 1, nhead >= 0, extra >= 0, width >= 0 please")
    return a


def segment_names(a, rnd):
    """Line name of every segment."""
    width = max(4, len(str(a.lines)))
    names = []
    for i in range(a.lines):
        if i >= 2 and rnd() < a.revisit:
            names.append(names[int(rnd() * (i - 1))])  # not names[i - 1]
        else:
            names.append("L%0*d" % (width, i + 1))
    return names


def header(a, eol):
    cols = ["LINE", "X", "Y", "ELEV"][:3 + a.extra]
    cols += ["F%d" % j for j in range(1, a.extra)]
    lines = [" ".join(cols)]
    for i in range(2, a.nhead + 1):
        lines.append("Survey block %d, generated with seed %d, header line %d  "
                     % (a.seed % 97, a.seed, i))
    return "".join(l + eol for l in lines[:a.nhead])


def widen(text, width, r):
    """text with readings added (or cut) to exactly width characters; the
    blanks at its ends stay out of the count, as --sep mixed adds them."""
    lead = len(text) - len(text.lstrip(" "))
    body, trail = text.strip(" "), len(text) - len(text.rstrip(" "))
    j = 0
    while len(body) < width:
        body += " %.1f" % (48000.0 + 97.0 * j + 40.0 * r)
        j += 1
    body = body[:width]
    return " " * lead + body + " " * trail


def segment(a, rnd, name, n, k, eol):
    """Text of the n records of segment number k."""
    hx, hy = HEADINGS[k % 4]
    x = 500000.0 + 2000.0 * rnd()
    y = 4230000.0 + 2000.0 * rnd()
    z = 100.0 + 50.0 * rnd()
    out = []
    for _ in range(n):
        r1, r2, r3 = rnd(), rnd(), rnd()
        fields = [name, "%.2f" % x, "%.2f" % y]
        if a.extra:
            fields.append("%.1f" % z)
            for j in range(1, a.extra):
                fields.append("%.1f" % (48000.0 + 97.0 * j + 40.0 * r3))
        if a.sep == "mixed":
            text = fields[0]
            for j, f in enumerate(fields[1:]):
                text += GAPS[int(r2 * 8 ** (j + 1)) % 8] + f
            if r3 < 0.02:
                text = " " + text
            elif r3 > 0.98:
                text += "  "
        else:
            text = {"blank": " ", "comma": ",", "tab": "\t"}[a.sep].join(fields)
        if a.width:
            text = widen(text, a.width, r3)
        out.append(text + eol)
        step = 11.0 + 3.0 * r1          # along the heading
        wander = 6.0 * (r2 - 0.5)       # across it
        x += hx * step + hy * wander
        y += hy * step + hx * wander
        z += r3 - 0.5
    return "".join(out)


def main(argv):
    a = parse_args(argv)
    rnd = random.Random(a.seed).random
    eol = "\r\n" if a.eol == "crlf" else "\n"
    names = segment_names(a, rnd)
    out = open(a.output, "w", newline="") if a.output else \
        open(sys.stdout.fileno(), "w", newline="", closefd=False)
    with out:
        out.write(header(a, eol))
        base, rest = divmod(a.records, a.lines)
        for k, name in enumerate(names):
            out.write(segment(a, rnd, name, base + (k < rest), k, eol))


if __name__ == "__main__":
    main(sys.argv[1:])
