#!/usr/bin/env python3
"""Checks that no indirect call or jump of a module goes through an import slot that is null in
the file. A plain import's slot holds its name's address until the loader binds it; a delay-load
slot holds its binding code's address. A null one is a call to address 0 on first use.
    check-bound-slots.py <objdump> <module>
"""
import re
import subprocess
import sys


def sections(objdump, module):
    out = subprocess.run([objdump, "-h", module], check=True, capture_output=True, text=True).stdout
    found = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 7 and parts[0].isdigit():
            name, size, vma, _lma, offset = parts[1], int(parts[2], 16), int(parts[3], 16), parts[4], int(parts[5], 16)
            found[name] = (vma, size, offset)
    return found


def main():
    objdump, module = sys.argv[1], sys.argv[2]
    table = sections(objdump, module)
    if ".idata" not in table:
        print(f"{module}: no import section")
        return 1
    vma, size, offset = table[".idata"]
    with open(module, "rb") as f:
        f.seek(offset)
        data = f.read(size)
    header = subprocess.run([objdump, "-f", module], check=True, capture_output=True, text=True).stdout
    width = 8 if "x86-64" in header else 4
    listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", module], check=True, capture_output=True,
                             text=True).stdout
    through = re.compile(r"\b(?:call|jmp)\s+\*(?:0x([0-9a-f]+)$|0x[0-9a-f]+\(%rip\)\s+#\s+(?:0x)?([0-9a-f]+))")
    slots = set()
    for line in listing.splitlines():
        m = through.search(line)
        if m:
            slots.add(int(m.group(1) or m.group(2), 16))
    null = []
    for slot in sorted(slots):
        if vma <= slot and slot + width <= vma + size:
            start = slot - vma
            if int.from_bytes(data[start:start + width], "little") == 0:
                null.append(slot)
    inside = sum(1 for s in slots if vma <= s < vma + size)
    if null:
        print(f"{module}: {len(null)} of {inside} import slots called through are null in the file:")
        for slot in null:
            print(f"  0x{slot:x}")
        return 1
    print(f"{module}: {inside} import slots called through, none null")
    return 0


if __name__ == "__main__":
    sys.exit(main())
