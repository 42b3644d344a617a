#!/usr/bin/env python3
"""Checks the test service itself: start, the routes, extra routes and files, HTTPS, stop.
  selftest.py [--pki DIR]
"""
import argparse
import gzip
import http.client
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SERVICE = os.path.join(HERE, "testservice.py")

ROUTES = '''
def register(routes):
    def hello(req):
        req.reply(200, ("hello " + req.query.get("who", ["nobody"])[0] + " via " + req.server.name).encode(),
                  "text/plain")
    routes["/hello"] = hello
'''


def fetch(url, context=None):
    req = urllib.request.Request(url, headers={"Accept-Encoding": "identity"})
    with urllib.request.urlopen(req, timeout=10, context=context) as r:
        return r.status, dict(r.headers), r.read()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--pki")
    args = p.parse_args()
    failures = []

    def check(what, ok):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as tmp:
        state = os.path.join(tmp, "state")
        files = os.path.join(tmp, "files")
        os.makedirs(os.path.join(files, "sub"))
        with open(os.path.join(files, "sub", "data.bin"), "wb") as f:
            f.write(b"\x00\x01file")
        routes = os.path.join(tmp, "routes.py")
        with open(routes, "w") as f:
            f.write(ROUTES)
        with open(os.path.join(files, "revoked.txt"), "w") as f:
            f.write("0A1B2C\n")
        cmd = [sys.executable, SERVICE, "start", "--state", state, "--files", files, "--routes", routes,
               "--routes", os.path.join(HERE, "routes_site_seal.py"),
               "--routes", os.path.join(HERE, "routes_update.py")]
        if args.pki:
            cmd += ["--pki", args.pki]
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        try:
            ports = dict(line.strip().split("=") for line in open(os.path.join(state, "ports.txt")))
            base = "http://127.0.0.1:%s" % ports["http"]
            status, _, body = fetch(base + "/plain")
            check("plain", status == 200 and body.startswith(b"Line 0000: "))
            text = body
            _, headers, body = fetch(base + "/gzip?name=1")
            check("gzip", headers.get("Content-Encoding") == "gzip" and gzip.decompress(body) == text)
            _, headers, body = fetch(base + "/deflate")
            check("deflate", headers.get("Content-Encoding") == "deflate" and zlib.decompress(body, -15) == text)
            _, headers, body = fetch(base + "/chunked?size=1000&chunk=64")
            check("chunked", headers.get("Transfer-Encoding") == "chunked" and len(body) == 1000)
            _, headers, body = fetch(base + "/empty")
            check("empty", body == b"" and headers.get("Content-Length") == "0")
            _, _, body = fetch(base + "/files/sub/data.bin")
            check("files", body == b"\x00\x01file")
            try:
                fetch(base + "/files/../routes.py")
                check("files stay inside their folder", False)
            except urllib.error.HTTPError as e:
                check("files stay inside their folder", e.code == 404)
            _, _, body = fetch(base + "/hello?who=me")
            check("extra routes", body == b"hello me via http")
            lookup = base + "/nlr_searcher/binary/certificate.asp?"
            _, _, body = fetch(lookup + "v_querytype=NLR&v_search=records-2.example&v_serial=0")
            head, _, rest = body.partition(b"-->\n")
            check("site-seal lookup", head.startswith(b"<!--AUTOINFO\nnum=2\n") and len(rest) == 100 + 137)
            revocation = lookup + "v_serial=1&v_querytype=DXREV&v_search="
            status, _, _ = fetch(revocation + "1A2B3C")
            check("revocation: not revoked", status == 200)
            try:
                fetch(revocation + "0a1b2c")
                check("revocation: revoked fails", False)
            except (urllib.error.URLError, ConnectionError, http.client.HTTPException):
                check("revocation: revoked fails", True)
            status, _, body = fetch(base + "/znr_searcher/quorvel?v_shortname=Bank%20%3CSeal%3E"
                                    "&v_search=http%3A%2F%2Fbank.example%2F&v_querytype=VC&x=5&y=5")
            check("popup page", status == 200 and b"<h3>Bank &lt;Seal&gt;</h3>" in body
                  and b"http://bank.example/" in body)
            _, _, body = fetch(base + "/nlr_searcher/recorded")
            check("requests recorded", b"/znr_searcher/quorvel?" in body and b"DXREV" in body)
            req = urllib.request.Request(base + "/updinfo/newer/update/krupdate.inf",
                                         headers={"DRAVIX_VERSION": "2.7.0.14"})
            with urllib.request.urlopen(req, timeout=10) as r:
                body = r.read()
            check("update information", b"\r\nLV=2.7.0.15\r\nURL=https://" in body)
            try:
                fetch(base + "/updinfo/newer/update/krupdate.inf")
                check("update information needs the version header", False)
            except urllib.error.HTTPError as e:
                check("update information needs the version header", e.code == 400)
            s = socket.socket()
            check("refused", s.connect_ex(("127.0.0.1", int(ports["refused"]))) != 0)
            s.close()
            if args.pki:
                ctx = ssl.create_default_context(cafile=os.path.join(args.pki, "root.pem"))
                _, _, body = fetch("https://127.0.0.1:%s/plain" % ports["https"], ctx)
                check("https", body == text)
                _, _, body = fetch("https://localhost:%s/hello" % ports["https_dv"], ctx)
                check("https_dv", body == b"hello nobody via https_dv")
                for name in ("https_other", "https_expired", "https_untrusted"):
                    try:
                        fetch("https://127.0.0.1:%s/plain" % ports[name], ctx)
                        check(name + " refused by a verifying client", False)
                    except (urllib.error.URLError, ssl.SSLError):
                        check(name + " refused by a verifying client", True)
        finally:
            subprocess.run([sys.executable, SERVICE, "stop", "--state", state], check=True)
        check("stopped", not os.path.exists(os.path.join(state, "pid")))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
