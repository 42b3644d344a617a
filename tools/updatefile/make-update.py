#!/usr/bin/env python3
"""Makes an update file ("update.dat") for the trusted issuer list.

The update file is an XML document, signed (PKCS#7 signed data, content included) by the
update-signing certificate, then enciphered (PKCS#7 enveloped data) for the update key that the
add-ons carry. openssl does the signing and enciphering.

  make-update.py build SOURCE.xml -o update.dat   builds the document from SOURCE.xml: every
        <IssuerLogoPath> element (a file name relative to SOURCE.xml) gets an <IssuerLogo>
        element after it holding the file's bytes as base64 text in lines of 76; a
        <NumberOfRecords> element is filled with the count of logos. Then signs and enciphers.
  make-update.py pack DOCUMENT.xml -o update.dat  signs and enciphers a finished document as it is.

Options: --signer-cert/--signer-key (default keys/signer.*), --recipient (default
keys/update-key.crt), --document FILE (also write the built document there), --replace TEXT BY
(replace a placeholder in SOURCE.xml first).
"""
import argparse
import base64
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))


def build_document(source, base=None, replace=()):
    with open(source, encoding='utf-8') as f:
        text = f.read()
    for old, new in replace:
        text = text.replace(old, new)
    tree = ET.ElementTree(ET.fromstring(text))
    base = base or os.path.dirname(os.path.abspath(source))
    count = 0
    for parent in tree.iter():
        children = list(parent)
        for index, child in enumerate(children):
            if child.tag != 'IssuerLogoPath':
                continue
            with open(os.path.join(base, (child.text or '').strip()), 'rb') as f:
                data = f.read()
            logo = ET.Element('IssuerLogo')
            logo.text = '\n' + base64.encodebytes(data).decode('ascii')
            logo.tail = child.tail
            parent.insert(list(parent).index(child) + 1, logo)
            count += 1
    for n in tree.iter('NumberOfRecords'):
        n.text = str(count)
    return b'<?xml version="1.0" encoding="utf-8"?>\n' + ET.tostring(tree.getroot(), encoding='utf-8')


def run(args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def pack(document, out, signer_cert, signer_key, recipient):
    with tempfile.TemporaryDirectory() as tmp:
        doc = os.path.join(tmp, 'doc.xml')
        signed = os.path.join(tmp, 'signed.der')
        with open(doc, 'wb') as f:
            f.write(document)
        # Sign: content included, binary (no line-end changes), SHA-1 digest as every
        # CryptoAPI of the add-ons' era verifies.
        run(['openssl', 'cms', '-sign', '-binary', '-nodetach', '-md', 'sha1', '-outform', 'DER',
             '-in', doc, '-signer', signer_cert, '-inkey', signer_key, '-out', signed])
        # Encipher: 3DES content key sent under the recipient's RSA key.
        run(['openssl', 'cms', '-encrypt', '-binary', '-des3', '-outform', 'DER',
             '-in', signed, '-out', out, recipient])


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument('mode', choices=['build', 'pack'])
    p.add_argument('source')
    p.add_argument('-o', '--out', required=True)
    p.add_argument('--signer-cert', default=os.path.join(HERE, 'keys', 'signer.crt'))
    p.add_argument('--signer-key', default=os.path.join(HERE, 'keys', 'signer.key'))
    p.add_argument('--recipient', default=os.path.join(HERE, 'keys', 'update-key.crt'))
    p.add_argument('--document')
    p.add_argument('--replace', nargs=2, action='append', default=[], metavar=('TEXT', 'BY'),
                   help='replace TEXT in SOURCE.xml before building')
    a = p.parse_args()
    if a.mode == 'build':
        document = build_document(a.source, replace=a.replace)
    else:
        with open(a.source, 'rb') as f:
            document = f.read()
    if a.document:
        with open(a.document, 'wb') as f:
            f.write(document)
    pack(document, a.out, a.signer_cert, a.signer_key, a.recipient)


if __name__ == '__main__':
    sys.exit(main())
