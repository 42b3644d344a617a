#!/usr/bin/env python3
"""Checks that every image the themes ask the Office 2007 image set for by a fixed name is in it.

    check_image_names.py <resource script> <source file or folder>...

Names are the upper-case wide literals given to ImageNamed, DrawImage or DrawImagePart, and
those that open the rows of a table whose rows start with a field named `image`
(struct { const wchar_t* image; ... } rows[] = {{L"NAME", ...}, ...}). Pieces of a name put
together with + are not names. Prints each missing name with where it is asked for; status 1 when any is
missing, 2 on bad arguments.
"""
import os
import re
import sys

CALL = re.compile(r"\b(?:ImageNamed|DrawImage|DrawImagePart)\s*\(")
NAME = re.compile(r'L"([A-Z][A-Z0-9]{3,})"')
ROW = re.compile(r'\{\s*L"([A-Z][A-Z0-9]{3,})"\s*,')
TABLE = re.compile(r"struct\s*\w*\s*\{\s*const\s+wchar_t\s*\*\s*image\s*;.*?\}\s*\w+\[\]\s*=\s*\{(.*?)\};", re.S)


def arguments(text, start):
    """The text between the call's parentheses (start is just after the opening one)."""
    depth, i = 1, start
    while i < len(text) and depth:
        depth += {"(": 1, ")": -1}.get(text[i], 0)
        i += 1
    return text[start:i - 1]


def whole_names(text, pattern):
    """Literals that are not pieces of a name put together with +."""
    for m in pattern.finditer(text):
        before = text[:m.start(1) - 2].rstrip()
        after = text[m.end(1) + 1:].lstrip()
        if before.endswith("+") or after.startswith("+"):
            continue
        yield m.group(1), m.start(1)


def asked(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    found = []
    for call in CALL.finditer(text):
        args = arguments(text, call.end())
        for name, at in whole_names(args, NAME):
            found.append((name, text.count("\n", 0, call.end() + at) + 1))
    for table in TABLE.finditer(text):
        for name, at in whole_names(table.group(1), ROW):
            found.append((name, text.count("\n", 0, table.start(1) + at) + 1))
    return found


def sources(paths):
    for path in paths:
        if os.path.isdir(path):
            for root, _, files in sorted(os.walk(path)):
                for name in sorted(files):
                    if name.endswith((".cpp", ".h")):
                        yield os.path.join(root, name)
        else:
            yield path


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8", errors="replace") as f:
        have = {line.split()[0] for line in f if line.strip() and not line.startswith("//")}
    missing = 0
    for path in sources(argv[2:]):
        for name, line in asked(path):
            if name not in have:
                print("%s:%d: %s is not in the image set" % (path, line, name))
                missing += 1
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
