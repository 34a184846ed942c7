#!/usr/bin/env python3
"""pe-version.py FILE NAME=VALUE...

Fails unless the version information of a Windows executable or DLL (the
strings Windows shows in the file's properties) holds each NAME=VALUE.
"""
import re
import sys

text = open(sys.argv[1], "rb").read().decode("utf-16-le", "replace")
block = text[text.find("VS_VERSION_INFO"):]
wrong = 0
for want in sys.argv[2:]:
    name, _, value = want.partition("=")
    # A string entry is its name, padding to 4 bytes, then its value.
    found = re.search(re.escape(name) + "\0+([^\0]*)\0", block)
    if "VS_VERSION_INFO" not in text or not found or found.group(1) != value:
        print("%s: %s is %r, not %r" % (sys.argv[1], name, found and found.group(1), value),
              file=sys.stderr)
        wrong += 1
sys.exit(1 if wrong else 0)
