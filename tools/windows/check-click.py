#!/usr/bin/env python3
"""check-click.py LOG X Y FRAME_W FRAME_H DEV_W DEV_H

Checks the simulator's command log after one left click at (X, Y) in a
video frame of FRAME_W x FRAME_H showing a DEV_W x DEV_H display: the last
press and the release that follows must be JsonCpp's styled documents, byte
for byte, at the same device position, and that position must be where the
click landed (within the frame's edge measured from a screenshot: 1 % of
the display).
"""
import re
import sys

TEMPLATE = '{\n   "P1" : "0x1",\n   "P2" : "0x%04x%04x",\n   "msg" : "%s"\n}\n'
PRESS, RELEASE = "0x20008", "0x20009"


def documents(text):
    # Each styled document ends with "}\n" at the start of a line.
    return [d + "}\n" for d in text.split("}\n") if d.strip()]


def main():
    log, x, y, fw, fh, dw, dh = sys.argv[1], *map(int, sys.argv[2:])
    docs = documents(open(log, encoding="utf-8").read())
    presses = [i for i, d in enumerate(docs) if '"msg" : "%s"' % PRESS in d]
    if not presses:
        print("no press in the log", file=sys.stderr)
        return 1
    press = docs[presses[-1]]
    release = next((d for d in docs[presses[-1] + 1:] if '"msg" : "%s"' % RELEASE in d), None)
    if release is None:
        print("no release after the press", file=sys.stderr)
        return 1
    m = re.search(r'"P2" : "0x([0-9a-f]{4})([0-9a-f]{4})"', press)
    if not m:
        print("press without a position: %r" % press, file=sys.stderr)
        return 1
    px, py = int(m.group(1), 16), int(m.group(2), 16)
    for doc, msg in ((press, PRESS), (release, RELEASE)):
        if doc != TEMPLATE % (px, py, msg):
            print("not the exact document:\n%r\nexpected\n%r" % (doc, TEMPLATE % (px, py, msg)),
                  file=sys.stderr)
            return 1
    ex, ey = x * dw // fw, y * dh // fh
    if abs(px - ex) > dw // 100 or abs(py - ey) > dh // 100:
        print("clicked near (%d, %d) on the display, the recorder got (%d, %d)" % (ex, ey, px, py),
              file=sys.stderr)
        return 1
    print("press and release at (%d, %d), expected about (%d, %d)" % (px, py, ex, ey))
    return 0


if __name__ == "__main__":
    sys.exit(main())
