#!/usr/bin/env python3
"""Writes the benchmark's update file with 100 logo records (the project's logos in turn, each
under a thumbprint of its own), signed and enciphered as the shipped one is.

    make_update_100.py <output update file>
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(os.path.dirname(HERE), 'tools', 'updatefile')


def main():
    out = os.path.abspath(sys.argv[1])
    logos = sorted(f for f in os.listdir(os.path.join(TOOLS, 'logos')) if f.endswith('.gif'))
    records = []
    for i in range(100):
        path = os.path.join(TOOLS, 'logos', logos[i % len(logos)])
        records.append('    <Record>\n      <IssuerLogoPath>%s</IssuerLogoPath>\n'
                       '      <Thumbprint>%040x</Thumbprint>\n    </Record>\n' % (path, 0x1000 + i))
    source = out + '.xml'
    with open(source, 'w') as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n<IssuerLogoUpdate>\n  <Version>1.0.0.1</Version>\n'
                '  <NotBefore>2026-12-01</NotBefore>\n  <NotAfter>2036-12-01</NotAfter>\n'
                '  <NumberOfRecords>100</NumberOfRecords>\n  <Records>\n%s  </Records>\n'
                '</IssuerLogoUpdate>\n' % ''.join(records))
    subprocess.check_call([sys.executable, os.path.join(TOOLS, 'make-update.py'), 'build', source, '-o', out])


if __name__ == '__main__':
    main()
