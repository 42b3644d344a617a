#!/usr/bin/env python3
"""Builds the Firefox extension packages and checks that their pieces agree.

    make_xpi.py --source gecko/package --dll Kestrin.dll --dll18 Kestrin18/Kestrin.dll --xpt IKestrin.xpt --out <dir>

Writes <dir>/Kestrin_ff3.xpi (Firefox 3) and <dir>/Kestrin.xpi (Firefox 1.5 and 2, SeaMonkey,
Netscape 9). Each holds install.rdf, chrome.manifest, chrome/kestrinext.jar (the overlays, the
script and the icons), components/Kestrin.dll (the Firefox 3 package the build for Gecko 1.9, the other
the build for Gecko 1.8), components/IKestrin.xpt and components/Kestrin.xpt
(the same type library twice) and install.js. Before writing, the chrome archive's name must be
spelled the same in every manifest and in the package, every chrome file the manifests name must
be in the archive, and the element ids the component listens on must be in the overlays;
otherwise the build fails.
"""
import argparse
import io
import os
import re
import struct
import sys
import zipfile
import zlib

JAR = "kestrinext.jar"
PACKAGES = {
    "Kestrin_ff3.xpi": {"EXTENSION_ID": "{5BFDB6E3-E238-4B4c-920A-04CE3727BF63}", "FIREFOX_MIN": "3.0",
                        "FIREFOX_MAX": "3.*", "DLL": "dll"},
    "Kestrin.xpi": {"EXTENSION_ID": "{2B9E5444-982A-40A0-B1F8-C5D025AE82A8}", "FIREFOX_MIN": "1.0",
                    "FIREFOX_MAX": "2.0.0.*", "DLL": "dll18"},
}
# Element ids the component's wrapper looks up in the browser window.
WRAPPER_IDS = ["KR-top-label", "KR-M-top-label", "KR-Toolbar"]
# The ids a package must define (the others are left out of this package on purpose).
DEFINED_IDS = ["KR-top-label"]


def bitmap(width, height, colour):
    """A 24-bit bottom-up BMP of one colour."""
    row = bytes(colour[::-1]) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def png(width, height, colour):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    raw = b"".join(b"\0" + bytes(colour) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def icons():
    out = {"kr_ext.bmp": bitmap(32, 32, (0x1e, 0x6e, 0x3c)), "kr_about.png": png(64, 64, (0x1e, 0x6e, 0x3c))}
    for name, colour in (("Green", (0x20, 0xa0, 0x40)), ("Gray", (0x90, 0x90, 0x90))):
        for size in (16, 24, 32):
            out["kr_ext%s%d.bmp" % (name, size)] = bitmap(size, size, colour)
    return out


def chrome_archive(source):
    content = os.path.join(source, "chrome", "content")
    files = {}
    for name in sorted(os.listdir(content)):
        with open(os.path.join(content, name), "rb") as f:
            files[name] = f.read()
    files.update(icons())
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_STORED) as jar:
        for name, data in sorted(files.items()):
            jar.writestr("content/" + name, data)
    return buffer.getvalue(), files


def check(install_rdf, manifest, install_js, chrome_files, names):
    problems = []
    jar_paths = set(re.findall(r"jar:chrome/([^!]+)!", manifest))
    if jar_paths != {JAR}:
        problems.append("chrome.manifest names the archive %s, the package holds %s" % (sorted(jar_paths), JAR))
    if ('urn:mozilla:extension:file:%s"' % JAR) not in install_rdf:
        problems.append("install.rdf does not name the file entry %s" % JAR)
    if ('"%s"' % JAR) not in install_js:
        problems.append("install.js does not copy %s" % JAR)
    if "chrome/" + JAR not in names:
        problems.append("the package has no chrome/%s" % JAR)
    for used in re.findall(r"chrome://kestrinext/content/([\w.]+)", manifest + install_rdf):
        if used not in chrome_files:
            problems.append("%s is named but not in the archive" % used)
    overlays = b"".join(data for name, data in chrome_files.items() if name.endswith(".xul")).decode("utf-8")
    visible = re.sub(r"<!--.*?-->", "", overlays, flags=re.S)
    for element in DEFINED_IDS:
        if ('id="%s"' % element) not in visible:
            problems.append("no overlay defines the element %s" % element)
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--dll", required=True, help="the component built for Gecko 1.9 (Firefox 3)")
    parser.add_argument("--dll18", required=True, help="the component built for Gecko 1.8 (Firefox 1.5, 2)")
    parser.add_argument("--xpt", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    read = lambda *p: open(os.path.join(args.source, *p), encoding="utf-8").read()
    manifest, install_js, rdf_template = read("chrome.manifest"), read("install.js"), read("install.rdf.in")
    jar, chrome_files = chrome_archive(args.source)
    dlls = {"dll": open(args.dll, "rb").read(), "dll18": open(args.dll18, "rb").read()}
    xpt = open(args.xpt, "rb").read()
    for dll in dlls.values():
        for element in WRAPPER_IDS:
            if element.encode("utf-16-le") not in dll:
                print("make_xpi: the component does not look up %s" % element, file=sys.stderr)
                return 1
    os.makedirs(args.out, exist_ok=True)
    for package, values in PACKAGES.items():
        rdf = rdf_template
        for key, value in values.items():
            rdf = rdf.replace("@%s@" % key, value)
        dll = dlls[values["DLL"]]
        entries = {
            "install.rdf": rdf.encode("utf-8"),
            "chrome.manifest": manifest.encode("utf-8"),
            "chrome/" + JAR: jar,
            "components/Kestrin.dll": dll,
            "components/IKestrin.xpt": xpt,
            "components/Kestrin.xpt": xpt,
            "install.js": install_js.encode("utf-8"),
        }
        problems = check(rdf, manifest, install_js, chrome_files, set(entries))
        if problems:
            for p in problems:
                print("make_xpi: %s: %s" % (package, p), file=sys.stderr)
            return 1
        path = os.path.join(args.out, package)
        with zipfile.ZipFile(path + ".tmp", "w", zipfile.ZIP_DEFLATED) as xpi:
            for name, data in entries.items():
                xpi.writestr(name, data)
        os.replace(path + ".tmp", path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
