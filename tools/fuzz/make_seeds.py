#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into OUT/<target>/, from what the project's own
generators make: the site-seal hierarchy (tools/sealpki), the lookup replies of the lookup
service (tools/testservice/routes_site_seal.py), the update file and its document
(tools/updatefile), the windowing tests' pictures and the popup's region resources.

  make_seeds.py OUT SEALPKI_DIR PICTURES_DIR
"""
import gzip
import importlib.util
import os
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def load(name, path):
    spec = importlib.util.spec_from_file_location(name, path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def write(out, target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


# ---- DER, enough to rebuild a file with one element changed --------------------------------

def parse(data):
    """Elements of `data`: [tag, content bytes, children or None] (children for constructed)."""
    out, pos = [], 0
    while pos < len(data):
        tag, length = data[pos], data[pos + 1]
        pos += 2
        if length & 0x80:
            count = length & 0x7F
            length = int.from_bytes(data[pos:pos + count], 'big')
            pos += count
        content = data[pos:pos + length]
        pos += length
        out.append([tag, content, parse(content) if tag & 0x20 else None])
    return out


def encode(elements, indefinite=False):
    out = b''
    for tag, content, children in elements:
        if children is not None:
            content = encode(children, indefinite)
        if indefinite and children is not None:
            out += bytes([tag, 0x80]) + content + b'\0\0'
            continue
        n = len(content)
        length = bytes([n]) if n < 0x80 else bytes([0x80 | ((n.bit_length() + 7) // 8)]) + n.to_bytes(
            (n.bit_length() + 7) // 8, 'big')
        out += bytes([tag]) + length + content
    return out


def find_extension(cert, oid_tail):
    """The parsed SEQUENCE OF elements inside the extension whose OID ends in oid_tail."""
    tbs = cert[0][2][0][2]
    extensions = [e for e in tbs if e[0] == 0xA3][0][2][0][2]
    for ext in extensions:
        if ext[2][0][1].endswith(oid_tail):
            value = ext[2][-1]
            inner = parse(value[1])
            return value, inner
    raise KeyError(oid_tail)


def rebuild_extension(value, inner):
    value[1] = encode(inner)


def hostile(out, sealpki, update_dat, signed):
    """Shapes that once reached platform decoders or ran our readers too long."""
    base = open(os.path.join(sealpki, 'seal-valid.cer'), 'rb').read()
    # The options' bit string with no byte at all.
    cert = parse(base)
    value, inner = find_extension(cert, b'\x01\x01\x02')
    inner[0][2][2] = [0x03, b'', None]
    rebuild_extension(value, inner)
    write(out, 'sealcert', 'hostile-empty-bits.der', encode(cert))
    # The subject's first set turned into a sequence.
    cert = parse(base)
    subject = cert[0][2][0][2][5]
    subject[2][0][0] = 0x30
    write(out, 'sealcert', 'hostile-name-set.der', encode(cert))
    # The logo as a constructed string nested far deeper than any reader goes.
    cert = parse(base)
    value, inner = find_extension(cert, b'\x01\x01\x01')
    nested = encode([[0x04, b'GIF', None]])
    for _ in range(3000):
        nested = encode([[0x24, nested, None]])
    skip = 2 + (nested[1] & 0x7F if nested[1] & 0x80 else 0)
    inner[0][2][0] = [0x24, nested[skip:], None]
    rebuild_extension(value, inner)
    write(out, 'sealcert', 'hostile-deep.der', encode(cert))
    # The signed message with indefinite lengths.
    write(out, 'signed', 'hostile-indefinite.der', encode(parse(signed), indefinite=True))
    # The update file's encrypted content key cut to 16 bytes.
    env = parse(update_dat)
    recipient = env[0][2][1][2][0][2][1][2][0][2]
    recipient[-1][1] = recipient[-1][1][:16]
    write(out, 'enveloped', 'hostile-short-key.der', encode(env))
    write(out, 'update', 'hostile-short-key.der', encode(env))
    # The enciphered content as a constructed string nested twenty thousand times.
    env = parse(update_dat)
    content_info = env[0][2][1][2][0][2][2]
    nested = encode([[0x04, content_info[2][-1][1][:8], None]])
    for _ in range(20000):
        nested = encode([[0x24, nested, None]])
    skip = 2 + (nested[1] & 0x7F if nested[1] & 0x80 else 0)
    content_info[2][-1] = [0xA0, nested[skip:], None]
    write(out, 'enveloped', 'hostile-deep.der', encode(env))
    # Declarations cut short.
    write(out, 'xml', 'hostile-declaration.xml', b'<?xml version="1.0" encod')
    write(out, 'xml', 'hostile-declaration2.xml', b'<?xml version="1.0')


def main():
    out, sealpki, pictures = sys.argv[1:4]
    routes = load('routes_site_seal', os.path.join(ROOT, 'tools', 'testservice', 'routes_site_seal.py'))
    update = load('make_update', os.path.join(ROOT, 'tools', 'updatefile', 'make-update.py'))
    read = lambda path: open(path, 'rb').read()

    seals = ['seal-valid', 'seal-shop', 'seal-ip', 'seal-link', 'seal-nourl', 'logo-picture']
    certs = [read(os.path.join(sealpki, n + '.cer')) for n in seals]
    for name, der in zip(seals, certs):
        write(out, 'sealcert', name + '.der', der)
    write(out, 'lookup', 'two.bin', routes.reply(certs[:2]))
    write(out, 'lookup', 'crlf.bin', routes.reply(certs[:2], eol=b'\r\n'))
    write(out, 'lookup', 'noend.bin', routes.reply(certs[:1], end=False))

    source = os.path.join(ROOT, 'tools', 'updatefile', 'update-source.xml')
    document = update.build_document(source)
    write(out, 'xml', 'update.xml', document)
    write(out, 'xml', 'small.xml', b'<?xml version="1.0" encoding="utf-8"?>\n<Update><Version>3</Version>'
                                   b'<NumberOfRecords>1</NumberOfRecords><Thumbprint>ab</Thumbprint></Update>')
    write(out, 'update', 'update.dat', read(os.path.join(ROOT, 'tools', 'updatefile', 'update.dat')))
    write(out, 'enveloped', 'update.dat', read(os.path.join(ROOT, 'tools', 'updatefile', 'update.dat')))
    keys = os.path.join(ROOT, 'tools', 'updatefile', 'keys')
    with tempfile.TemporaryDirectory() as tmp:
        doc, signed = os.path.join(tmp, 'doc.xml'), os.path.join(tmp, 'signed.der')
        with open(doc, 'wb') as f:
            f.write(document[:600])
        update.run(['openssl', 'cms', '-sign', '-binary', '-nodetach', '-md', 'sha1', '-outform', 'DER', '-in', doc,
                    '-signer', os.path.join(keys, 'signer.crt'), '-inkey', os.path.join(keys, 'signer.key'),
                    '-out', signed])
        write(out, 'signed', 'signed.der', read(signed))
        hostile(out, sealpki, read(os.path.join(ROOT, 'tools', 'updatefile', 'update.dat')), read(signed))

    for name in ('anim.gif', 'single.gif'):
        write(out, 'gif', name, read(os.path.join(pictures, name)))
    write(out, 'gif', 'seal.gif', read(os.path.join(sealpki, 'seal.gif')))
    res = os.path.join(ROOT, 'common', 'sslverify', 'res')
    for name in sorted(os.listdir(res)):
        if name.endswith('.rgn'):
            write(out, 'region', name, read(os.path.join(res, name)))

    body = document[:2000]
    write(out, 'gzip', 'document.gz', gzip.compress(body))
    write(out, 'deflate', 'zlib.bin', zlib.compress(body))
    raw = zlib.compressobj(wbits=-15)
    write(out, 'deflate', 'raw.bin', raw.compress(body) + raw.flush())
    logo = read(os.path.join(sealpki, 'seal.gif'))
    import base64
    write(out, 'base64', 'logo.txt', base64.encodebytes(logo))
    write(out, 'base64', 'padded.txt', b'QQ==\nQUI=\r\nQUJD')

    # URL scope: the first byte holds the scopes (bits 0-1 directory, bit 2 sub-domains).
    pages = [b'http://bank.example/shop/page.html', b'https://www.bank.example:8443/shop/../a?x#y',
             b'http:\\\\bank.example\\shop%2f..%2fother\\', b'http://user@evil.example/', b'about:blank',
             b'javascript://bank.example/', 'http://b\u00fccher.example/k\u00e4se'.encode('utf-8'),
             b'http://0x7f.1/']
    for i, page in enumerate(pages):
        write(out, 'url', 'page%d.bin' % i, bytes([i % 8]) + page)
    write(out, 'url', 'wide.bin', b'\x02' + 'http://\u0430pple.example/\u00e9'.encode('utf-16-le'))


if __name__ == '__main__':
    main()
