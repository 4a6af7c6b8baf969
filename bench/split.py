#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The split a user would write in Python, streaming: split.py INPUT NHEAD.

The header lines are copied into every line file, each record is appended to
"<first field>.dat", and the file is closed when the line changes."""
import sys


def main():
    nhead = int(sys.argv[2])
    with open(sys.argv[1], "rb") as inp:
        header = b"".join(inp.readline() for _ in range(nhead))
        line, out = None, None
        for record in inp:
            fields = record.split(None, 1)
            if not fields:
                continue
            if fields[0] != line:
                if out:
                    out.close()
                line = fields[0]
                out = open(line + b".dat", "wb")
                out.write(header)
            out.write(record)
        if out:
            out.close()


main()
