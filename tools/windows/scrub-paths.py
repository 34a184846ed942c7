#!/usr/bin/env python3
"""scrub-paths.py FILE PATH...

Overwrites every occurrence of each PATH inside FILE with as many dots, so
that a library keeps its layout (no string moves, none gets longer) but no
longer names a directory of the machine it was built on. Qt's release
libraries keep a few source file names for their diagnostics, and those
name the directory Qt was built in.
"""
import sys


def main() -> int:
    path, needles = sys.argv[1], [p.encode() for p in sys.argv[2:] if p]
    with open(path, "rb") as f:
        data = f.read()
    for needle in needles:
        data = data.replace(needle, b"." * len(needle))
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
