#!/usr/bin/env python3
"""Builds the site-seal certificate hierarchy and the seal images the tests use.

    make_seal_pki.py <output folder>

The keys in keys/ are fixed: the three maker root keys (their public keys are the ones
common/nlrcert accepts) and those of the other roots and the intermediates, so that the
certificates of every run (and of both build bitnesses, which share one Wine prefix) chain to
each other in the machine stores. The certificates and images are made fresh on every run
with openssl, dated relative to now; the seal key is made fresh as well.

Hierarchy
    root-class1   "O=Torvan Limited, CN=Class 1 Public Primary Certification Authority"
    root-class3   "O=Torvan Limited, CN=Class 3 Public Primary Certification Authority"
    root-nelrow   "O=Torvan CA Limited, CN=Nelrow Authority"
      each with one intermediate (ca-class1, ca-class3, ca-nelrow).
    root-foreign  a name that holds the Class 3 pair, but a key of its own; goes into "Root".
    root-caonly   a name that holds the Nelrow pair and the Nelrow root key; it belongs in the
                  machine's "CA" store only, so its seals report a root outside "Root".
      with ca-foreign and ca-caonly below them.
    ca-orphan     an intermediate under root-class3 that is never installed.
    ca-loop-a, ca-loop-b  two intermediates that issued each other (never installed).
    ca-class3-expired  the Class 3 intermediate's name and key, its validity ended a year ago
    ca-class3-badsig   ca-class3 with one byte of its signature changed (neither installed).

Private extensions of a seal certificate (DER, each a SEQUENCE of elements, non-critical):

  Content extension 1.3.6.1.4.1.32473.1.1.1 ("Verifiable Content")
    [0] OCTET STRING   logo graphic: the picture bytes (types 0, 1, 3), the HTML text and a
                       terminating zero (type 4) or, for type 5, the 20-byte SHA-1 hash of
                       the genuine seal image
    [1] ENUMERATED     logo file type: 0 GIF, 1 JPEG, 3 BMP, 4 HTML text, 5 hash of a page image
    [2] UTF8String     logo name (the seal's display name)
    [3] ENUMERATED     logo hash algorithm: 0 = SHA-1
    [4] INTEGER        logo size: byte size of the genuine seal image
    [5] SEQUENCE { INTEGER width, INTEGER height }   logo dimensions in pixels (optional)

  Options extension 1.3.6.1.4.1.32473.1.1.2 ("NLR Options")
    [0] IA5String      merchant URL: host and optional path, no scheme ("bank.example/shop")
    [1] ENUMERATED     directory scope: 0 this directory, 1 the parent directory, 2 this
                       directory and below, any other value: host only
    [2] BIT STRING     can-be-used-by bits
    [3] ENUMERATED     sub-domain scope: 0 exact host, otherwise the host and its sub-domains
    [4] ENUMERATED     reserved, 0
    [5] PrintableString popup text, or IA5String link URL (optional)
    [5 or 6] INTEGER   certificate version, must be 1 (optional only in broken variants)
    [last] ENUMERATED  display option (0 anchors the seal's popup at the logo's corner)

Seal certificates written (DER, .cer), merchant "bank.example" unless noted:
    seal-valid          host only, directory scope 2, sub-domains allowed, under Class 3
    seal-valid-class1   the same under Class 1;  seal-valid-nelrow  under Nelrow
    seal-shop           merchant "bank.example/shop", directory scope 2
    seal-exacthost      sub-domain scope 0
    seal-nosubscope     a sub-domain scope element that is not ENUMERATED
    seal-dir            merchant "dir.bank.example/shop", this directory only, exact host
    seal-ip             subject alternative names DNS:bank.example and IP:127.0.0.1
    seal-link           element 5 is a link URL instead of a popup text
    seal-expired        validity ended a year ago
    seal-outlives       ends after its intermediate
    seal-badsig         seal-valid with one byte of its signature changed
    seal-foreign        under root-foreign;  seal-caonly  under root-caonly
    seal-orphan         under ca-orphan, an intermediate that no store holds
    seal-loop           under ca-loop-a
    seal-nourl          empty merchant URL;  seal-longurl  merchant URL of 256 characters
    seal-version2       version 2;           seal-noversion  no version element
    seal-wrongsize      the genuine hash with a logo size one byte larger
    seal-otheralg       hash algorithm 1
    seal-lastbyte       a hash that differs from the genuine image's in its last byte only
    seal-nocontent      no content extension
    seal-local          merchant "127.0.0.1", for pages served by the local service
    logo-picture        type 0 with a GIF logo;  logo-html  type 4 with an HTML page
    logo-bitmap         type 3 with a 200 x 100 bitmap (logo.bmp), display option 0
    logo-link           logo-bitmap with a link URL (http://bank.example/seal-info) for its popup text
    logo-local          logo-bitmap for merchant "127.0.0.1", for pages served by the local service
    logo-revoked        logo-picture again; its serial is listed in revoked.txt
    logo-troubled       logo-picture again; its serial is listed in revocation-error.txt
Images: seal.gif (genuine), seal-onebyte.gif (one byte changed), seal-samesize.gif (same size,
another hash). nlr/bank.example/seal-valid.der, nlr/127.0.0.1/seal-local.der and
nlr/dir.bank.example/seal-dir.der are the hosts' seals for the lookup route of tools/testservice.
"""

import datetime
import hashlib
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ARC = "1.3.6.1.4.1.32473.1.1"


# --- DER ------------------------------------------------------------------------------------

def tlv(tag, content):
    n = len(content)
    if n < 0x80:
        head = bytes([n])
    else:
        raw = n.to_bytes((n.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(raw)]) + raw
    return bytes([tag]) + head + content


def der_int(tag, value):
    raw = value.to_bytes(max(1, (value.bit_length() + 8) // 8), "big", signed=True)
    return tlv(tag, raw)


def integer(v): return der_int(0x02, v)
def enumerated(v): return der_int(0x0A, v)
def octets(b): return tlv(0x04, b)
def utf8(s): return tlv(0x0C, s.encode("utf-8"))
def ia5(s): return tlv(0x16, s.encode("ascii"))
def printable(s): return tlv(0x13, s.encode("ascii"))
def bits(b): return tlv(0x03, b"\x00" + b)
def seq(*items): return tlv(0x30, b"".join(items))


def content_ext(graphic, file_type, name, size, alg=0, dims=(88, 31)):
    items = [octets(graphic), enumerated(file_type), utf8(name), enumerated(alg), integer(size)]
    if dims:
        items.append(seq(integer(dims[0]), integer(dims[1])))
    return seq(*items)


def options_ext(url, dir_scope=2, sub_scope=1, popup="Bank Example", link=None, version=1,
                display=0):
    # sub_scope None: the element is an INTEGER, which no reader takes for the scope.
    sub = integer(1) if sub_scope is None else enumerated(sub_scope)
    items = [ia5(url), enumerated(dir_scope), bits(b"\x80"), sub, enumerated(0)]
    if link is not None:
        items.append(ia5(link))
    elif popup is not None:
        items.append(printable(popup))
    if version is not None:
        items.append(integer(version))
    items.append(enumerated(display))
    return seq(*items)


# --- images ---------------------------------------------------------------------------------

def gif(comment):
    """A valid 1x1 GIF whose comment block makes up its size."""
    body = b"GIF89a" + b"\x01\x00\x01\x00\x80\x00\x00" + b"\x00\x00\x00\xff\xff\xff"
    blocks = b""
    rest = comment
    while rest:
        chunk, rest = rest[:255], rest[255:]
        blocks += bytes([len(chunk)]) + chunk
    body += b"\x21\xfe" + blocks + b"\x00"
    body += b"\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b"
    return body


def bitmap(width=200, height=100):
    """A 4-bit bitmap file: a blue seal with a gold frame and a white band."""
    palette = [(0, 0, 0), (140, 60, 20), (40, 190, 240), (255, 255, 255)]  # B, G, R
    palette += [(0, 0, 0)] * (16 - len(palette))
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for y in range(height):  # bottom-up
        row = bytearray()
        for x in range(0, width, 2):
            pair = []
            for xx in (x, x + 1):
                frame = xx < 6 or xx >= width - 6 or y < 6 or y >= height - 6
                band = height * 2 // 5 <= y < height * 3 // 5 and 20 <= xx < width - 20
                pair.append(2 if frame else 3 if band else 1)
            row.append(pair[0] << 4 | pair[1])
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = (40).to_bytes(4, "little") + width.to_bytes(4, "little") + height.to_bytes(4, "little")
    info += (1).to_bytes(2, "little") + (4).to_bytes(2, "little") + bytes(4)
    info += len(pixels).to_bytes(4, "little") + (3780).to_bytes(4, "little") * 2
    info += (16).to_bytes(4, "little") + bytes(4)
    colours = b"".join(bytes([b, g, r, 0]) for b, g, r in palette)
    offset = 14 + len(info) + len(colours)
    head = b"BM" + (offset + len(pixels)).to_bytes(4, "little") + bytes(4) + offset.to_bytes(4, "little")
    return head + info + colours + pixels


# --- openssl --------------------------------------------------------------------------------

def run(*args):
    subprocess.run(["openssl"] + list(args), check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.PIPE)


def stamp(t):
    return t.strftime("%Y%m%d%H%M%SZ")


class Pki:
    def __init__(self, out):
        self.out = out
        self.work = os.path.join(out, "work")
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(os.path.join(self.work, "newcerts"))
        open(os.path.join(self.work, "index.txt"), "w").close()
        with open(os.path.join(self.work, "serial"), "w") as f:
            f.write("1000\n")
        self.sections = {}
        self.now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)

    def years(self, n):
        return self.now + datetime.timedelta(days=365 * n)

    def key(self, name):
        fixed = os.path.join(HERE, "keys", name + ".key")
        if os.path.exists(fixed):
            return fixed
        path = os.path.join(self.work, name + ".key")
        run("genrsa", "-out", path, "2048")
        return path

    def config(self, section, lines):
        path = os.path.join(self.work, "ca.cnf")
        with open(path, "w") as f:
            f.write(f"""[ca]
default_ca = ca_default
[ca_default]
dir = {self.work}
database = $dir/index.txt
new_certs_dir = $dir/newcerts
serial = $dir/serial
default_md = sha256
policy = policy_any
unique_subject = no
preserve = yes
email_in_dn = no
copy_extensions = none
[policy_any]
organizationName = optional
commonName = optional
[req]
distinguished_name = req_dn
prompt = no
[req_dn]
CN = unused
[{section}]
""")
            f.write("\n".join(lines) + "\n")
        return path

    def issue(self, name, subject, key, issuer, lines, start, end):
        """Signs a certificate for `key` with `issuer` (None: self-signed); writes name.cer."""
        csr = os.path.join(self.work, name + ".csr")
        run("req", "-new", "-key", key, "-subj", subject, "-out", csr,
            "-config", self.config("ext", lines))
        pem = os.path.join(self.work, name + ".pem")
        args = ["ca", "-batch", "-notext", "-config", self.config("ext", lines), "-extensions", "ext",
                "-startdate", stamp(start), "-enddate", stamp(end), "-in", csr, "-out", pem]
        if issuer is None:
            args += ["-selfsign", "-keyfile", key]
        else:
            args += ["-cert", issuer[0], "-keyfile", issuer[1]]
        run(*args)
        run("x509", "-in", pem, "-outform", "DER", "-out", os.path.join(self.out, name + ".cer"))
        return (pem, key)


ROOT_EXT = ["basicConstraints = critical, CA:true", "keyUsage = critical, keyCertSign, cRLSign",
            "subjectKeyIdentifier = hash"]
# Intermediates name their issuer by name only: root-caonly shares the Nelrow root's key (and so
# its key identifier), and must not be found as the Nelrow root or the other way round.
CA_EXT = ["basicConstraints = critical, CA:true, pathlen:0",
          "keyUsage = critical, keyCertSign, cRLSign", "subjectKeyIdentifier = hash",
          "authorityKeyIdentifier = none"]


def seal_ext(content=None, options=None, extra=()):
    lines = ["basicConstraints = CA:false", "keyUsage = critical, digitalSignature",
             "subjectKeyIdentifier = hash", "authorityKeyIdentifier = keyid"]
    if content is not None:
        lines.append(f"{ARC}.1 = DER:{content.hex()}")
    if options is not None:
        lines.append(f"{ARC}.2 = DER:{options.hex()}")
    lines.extend(extra)
    return lines


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    pki = Pki(out)

    # Seal images: the genuine one, one with a single byte changed, one of the same size.
    text = (b"Torvan site seal sample image. " * 40)[:1000]
    genuine = gif(text)
    onebyte = bytearray(genuine)
    onebyte[len(onebyte) // 2] ^= 0x01
    samesize = gif(text.replace(b"sample", b"SAMPLE"))
    assert len(samesize) == len(genuine) and samesize != genuine
    for name, data in (("seal.gif", genuine), ("seal-onebyte.gif", bytes(onebyte)),
                       ("seal-samesize.gif", samesize)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    digest = hashlib.sha1(genuine).digest()

    past, far = pki.years(-10), pki.years(20)
    roots = {}
    for name, subject in (
            ("root-class1", "/O=Torvan Limited/CN=Class 1 Public Primary Certification Authority"),
            ("root-class3", "/O=Torvan Limited/CN=Class 3 Public Primary Certification Authority"),
            ("root-nelrow", "/O=Torvan CA Limited/CN=Nelrow Authority"),
            ("root-foreign",
             "/O=Torvan Limited/CN=Class 3 Public Primary Certification Authority G2"),
            ("root-caonly", "/O=Torvan CA Limited/CN=Nelrow Authority CA Store")):
        key = pki.key("root-nelrow" if name == "root-caonly" else name)
        roots[name] = pki.issue(name, subject, key, None, ROOT_EXT, past, far)

    cas = {}
    for name, root, subject in (
            ("ca-class1", "root-class1", "/O=Torvan Limited/CN=Torvan Class 1 Seal CA"),
            ("ca-class3", "root-class3", "/O=Torvan Limited/CN=Torvan Class 3 Seal CA"),
            ("ca-nelrow", "root-nelrow", "/O=Torvan CA Limited/CN=Nelrow Seal CA"),
            ("ca-foreign", "root-foreign", "/O=Torvan Limited/CN=Foreign Seal CA"),
            ("ca-caonly", "root-caonly", "/O=Torvan CA Limited/CN=Nelrow CA Store Seal CA"),
            ("ca-orphan", "root-class3", "/O=Torvan Limited/CN=Torvan Orphan Seal CA")):
        cas[name] = pki.issue(name, subject, pki.key(name), roots[root], CA_EXT,
                              pki.years(-9), pki.years(15))

    # Stand-ins for the Class 3 intermediate that a seal-valid chain finds in place of the real
    # one: one outside its validity period, one whose signature does not verify.
    pki.issue("ca-class3-expired", "/O=Torvan Limited/CN=Torvan Class 3 Seal CA", cas["ca-class3"][1],
              roots["root-class3"], CA_EXT, pki.years(-9), pki.years(-1))
    with open(os.path.join(out, "ca-class3.cer"), "rb") as f:
        ca_der = bytearray(f.read())
    ca_der[-1] ^= 0x01
    with open(os.path.join(out, "ca-class3-badsig.cer"), "wb") as f:
        f.write(ca_der)

    # Two intermediates that issued each other (found through ca-loop-b0, a first self-signed
    # certificate of the B name): an issuer walk through ca-loop-a and ca-loop-b never ends.
    loop_b = pki.issue("ca-loop-b0", "/O=Torvan Limited/CN=Torvan Loop B", pki.key("ca-loop-b"), None,
                       ROOT_EXT, pki.years(-9), pki.years(15))
    cas["ca-loop-a"] = pki.issue("ca-loop-a", "/O=Torvan Limited/CN=Torvan Loop A", pki.key("ca-loop-a"),
                                 loop_b, CA_EXT, pki.years(-9), pki.years(15))
    pki.issue("ca-loop-b", "/O=Torvan Limited/CN=Torvan Loop B", loop_b[1], cas["ca-loop-a"], CA_EXT,
              pki.years(-9), pki.years(15))

    seal_key = pki.key("seal")
    subject = "/O=Bank Example Limited/CN=bank.example"
    start, end = pki.years(-1), pki.years(5)
    good_content = content_ext(digest, 5, "Bank Example Seal", len(genuine))
    good_options = options_ext("bank.example")

    def seal(name, ca="ca-class3", content=good_content, options=good_options, extra=(),
             start=start, end=end, subj=subject):
        pki.issue(name, subj, seal_key, cas[ca], seal_ext(content, options, extra), start, end)

    seal("seal-valid")
    seal("seal-valid-class1", ca="ca-class1")
    seal("seal-valid-nelrow", ca="ca-nelrow")
    seal("seal-shop", options=options_ext("bank.example/shop"))
    seal("seal-exacthost", options=options_ext("bank.example", sub_scope=0))
    seal("seal-nosubscope", options=options_ext("bank.example", sub_scope=None))
    seal("seal-dir", options=options_ext("dir.bank.example/shop", dir_scope=0, sub_scope=0))
    seal("seal-ip", extra=["subjectAltName = DNS:bank.example, IP:127.0.0.1"])
    seal("seal-link", options=options_ext("bank.example", link="http://bank.example/seal-info"))
    seal("seal-expired", start=pki.years(-3), end=pki.years(-2))
    seal("seal-outlives", end=pki.years(16))
    seal("seal-foreign", ca="ca-foreign")
    seal("seal-caonly", ca="ca-caonly")
    seal("seal-orphan", ca="ca-orphan")
    seal("seal-loop", ca="ca-loop-a")
    seal("seal-nourl", options=options_ext(""))
    seal("seal-longurl", options=options_ext("bank.example/" + "d" * 243))
    seal("seal-version2", options=options_ext("bank.example", version=2))
    seal("seal-noversion", options=options_ext("bank.example", version=None))
    seal("seal-wrongsize", content=content_ext(digest, 5, "Bank Example Seal", len(genuine) + 1))
    seal("seal-lastbyte", content=content_ext(digest[:-1] + bytes([digest[-1] ^ 0x01]), 5, "Bank Example Seal",
                                              len(genuine)))
    seal("seal-otheralg", content=content_ext(digest, 5, "Bank Example Seal", len(genuine), alg=1))
    seal("seal-nocontent", content=None)
    seal("seal-local", options=options_ext("127.0.0.1"), subj="/O=Local Example/CN=127.0.0.1")
    seal("logo-picture", content=content_ext(genuine, 0, "Bank Example Logo", len(genuine)),
         options=options_ext("bank.example", display=0))
    logo_bmp = bitmap()
    with open(os.path.join(out, "logo.bmp"), "wb") as f:
        f.write(logo_bmp)
    seal("logo-bitmap", content=content_ext(logo_bmp, 3, "Bank Example Logo", len(logo_bmp), dims=(200, 100)),
         options=options_ext("bank.example", display=0))
    seal("logo-link", content=content_ext(logo_bmp, 3, "Bank Example Logo", len(logo_bmp), dims=(200, 100)),
         options=options_ext("bank.example", link="http://bank.example/seal-info", display=0))
    seal("logo-local", content=content_ext(logo_bmp, 3, "Local Example Logo", len(logo_bmp), dims=(200, 100)),
         options=options_ext("127.0.0.1", popup="Local Example", display=0), subj="/O=Local Example/CN=127.0.0.1")
    for name, listing in (("logo-revoked", "revoked.txt"), ("logo-troubled", "revocation-error.txt")):
        seal(name, content=content_ext(genuine, 0, "Bank Example Logo", len(genuine)),
             options=options_ext("bank.example", display=0))
        serial = subprocess.run(["openssl", "x509", "-in", os.path.join(pki.work, name + ".pem"), "-noout",
                                 "-serial"], check=True, capture_output=True, text=True).stdout
        with open(os.path.join(out, listing), "w") as f:
            f.write(serial.strip().split("=")[1].upper() + "\n")
    html = b"<html><body><p>Bank Example is a verified merchant.</p></body></html>\0"
    seal("logo-html", content=content_ext(html, 4, "Bank Example Page", len(html), dims=None),
         options=options_ext("bank.example", display=2))

    # A seal whose signature no longer verifies: flip the last byte (inside the signature).
    with open(os.path.join(out, "seal-valid.cer"), "rb") as f:
        der = bytearray(f.read())
    der[-1] ^= 0x01
    with open(os.path.join(out, "seal-badsig.cer"), "wb") as f:
        f.write(der)

    # The lookup route of tools/testservice serves nlr/<host>/*.der as the host's seals.
    for host, name in (("bank.example", "seal-valid"), ("127.0.0.1", "seal-local"), ("dir.bank.example", "seal-dir")):
        folder = os.path.join(out, "nlr", host)
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(os.path.join(out, name + ".cer"), os.path.join(folder, name + ".der"))

    with open(os.path.join(out, "stamp"), "w") as f:
        f.write(pki.now.isoformat() + "\n")


if __name__ == "__main__":
    main()
