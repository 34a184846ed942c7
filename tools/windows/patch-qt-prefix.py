#!/usr/bin/env python3
"""patch-qt-prefix.py QT5CORE_DLL

Qt keeps its install prefix in Qt5Core.dll as fixed-size, NUL-padded strings
("qt_prfxpath=<prefix>", and for cross builds "qt_epfxpath=" and
"qt_hpfxpath="). Rewrites each to "." so that Qt resolves everything from
the program's own folder and no path of the build machine stays inside.
"""
import sys

KEYS = (b"qt_prfxpath=", b"qt_epfxpath=", b"qt_hpfxpath=")


def patch(data: bytearray) -> int:
    count = 0
    for key in KEYS:
        start = 0
        while True:
            at = data.find(key, start)
            if at < 0:
                break
            value = at + len(key)
            end = data.find(b"\0", value)
            if end < 0:
                raise ValueError("unterminated %s" % key.decode())
            if end > value:
                data[value:end] = b"." + b"\0" * (end - value - 1)
            start = end
            count += 1
    return count


def main() -> int:
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if patch(data) == 0:
        print("%s: no prefix string found" % path, file=sys.stderr)
        return 1
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
