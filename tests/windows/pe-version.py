#!/usr/bin/env python3
"""pe-version.py FILE [NAME=VALUE...]

Reads the version information of a Windows executable or DLL, as the
file's properties on Windows show it: the fixed file version and the
strings of the first string table. Prints them as NAME=VALUE lines; with
NAME=VALUE arguments, fails unless each one is there exactly so
(FILEVERSION is the fixed version, "1.2.3.4").
"""
import struct
import sys

KEY = "VS_VERSION_INFO".encode("utf-16-le")
FIXED_SIGNATURE = 0xFEEF04BD


def align4(n):
    return (n + 3) & ~3


def block(data, at):
    """One version block at `at`: (key, value bytes, children start, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = align4(key_end + 2)
    # Text values count characters, binary ones bytes.
    size = value_length * 2 if kind == 1 else value_length
    return key, data[value_at:value_at + size], align4(value_at + size), end


def children(data, start, end):
    at = start
    while at < end:
        item = block(data, at)
        if item[3] <= at:
            raise ValueError("a version block of length 0")
        yield item
        at = align4(item[3])


def read(path):
    data = open(path, "rb").read()
    at = data.find(KEY)
    if at < 6:
        raise ValueError("no version information")
    key, value, first, end = block(data, at - 6)
    signature, _, ms, ls = struct.unpack_from("<IIII", value)
    if signature != FIXED_SIGNATURE:
        raise ValueError("no fixed version information")
    found = {"FILEVERSION": "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)}
    for name, _, start, stop in children(data, first, end):
        if name != "StringFileInfo":
            continue
        for _table, _, tstart, tstop in children(data, start, stop):
            for entry, text, _, _ in children(data, tstart, tstop):
                found[entry] = text.decode("utf-16-le").rstrip("\0")
            break
    return found


def main():
    try:
        found = read(sys.argv[1])
    except (OSError, ValueError, struct.error, UnicodeDecodeError) as e:
        print("%s: %s" % (sys.argv[1], e), file=sys.stderr)
        return 1
    wrong = 0
    for want in sys.argv[2:]:
        name, _, value = want.partition("=")
        if found.get(name) != value:
            print("%s: %s is %r, not %r" % (sys.argv[1], name, found.get(name), value),
                  file=sys.stderr)
            wrong += 1
    if not sys.argv[2:]:
        for name, value in found.items():
            print("%s=%s" % (name, value))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
