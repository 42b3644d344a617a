#!/usr/bin/env python3
"""Local HTTP/HTTPS service for the tests. Listens on 127.0.0.1 only, on free ports.

  testservice.py start --state DIR [--pki DIR] [--files DIR]... [--routes FILE.py]...
  testservice.py stop  --state DIR
  testservice.py run   --state DIR ...        (in the foreground, for debugging)

`start` returns once the service listens; DIR/ports.txt then holds one "name=port" line per
listener: http, https (and https_dv, https_other, https_expired, https_untrusted when the PKI
has those certificates) and refused (a port nobody listens on). `stop` ends the service whose
process id is in DIR/pid.

Routes are the ROUTES table below; a --routes file adds its own through register(routes) (see
README.md). Files under a --files DIR are served as /files/<relative path>.
"""

import argparse
import gzip
import http.server
import importlib.util
import os
import signal
import socket
import ssl
import sys
import threading
import time
import urllib.parse
import zlib

HOST = "127.0.0.1"

# Body the compressed routes carry (and the tests expect after inflating).
TEXT = b"".join(b"Line %04d: the quick brown fox jumps over the lazy dog.\n" % i for i in range(200))


def query_int(req, name, default):
    try:
        return int(req.query.get(name, [default])[0])
    except ValueError:
        return default


def pattern(size):
    """Deterministic bytes: 0, 1, ... 250, 0, 1, ... (a prime period, so offsets show)."""
    return bytes(i % 251 for i in range(size))


def gzip_member(data, name=None, extra=None, comment=None, magic=b"\x1f\x8b", isize=None):
    flags = 0
    head = b""
    if extra is not None:
        flags |= 0x04
        head += len(extra).to_bytes(2, "little") + extra
    if name is not None:
        flags |= 0x08
        head += name + b"\0"
    if comment is not None:
        flags |= 0x10
        head += comment + b"\0"
    comp = zlib.compressobj(9, zlib.DEFLATED, -15)
    body = comp.compress(data) + comp.flush()
    size = len(data) & 0xFFFFFFFF if isize is None else isize
    return (magic + b"\x08" + bytes([flags]) + b"\0\0\0\0\0\xff" + head + body +
            (zlib.crc32(data) & 0xFFFFFFFF).to_bytes(4, "little") + size.to_bytes(4, "little"))


def raw_deflate(data):
    comp = zlib.compressobj(9, zlib.DEFLATED, -15)
    return comp.compress(data) + comp.flush()


# ---- routes: each takes the handler and answers the request -------------------------------

def r_plain(req):
    """Text body; ?size=N gives N pattern bytes instead."""
    size = query_int(req, "size", -1)
    req.reply(200, TEXT if size < 0 else pattern(size), "text/plain")


def r_gzip(req):
    """Gzip body of TEXT. ?name=1 adds a file name, ?extra=1 an extra field, ?comment=1 a comment;
    ?badmagic=1 spoils the magic bytes; ?isize=N writes N as the trailer's size; ?size=N
    compresses N zero bytes instead of TEXT (a small body that inflates large)."""
    size = query_int(req, "size", -1)
    data = TEXT if size < 0 else bytes(size)
    body = gzip_member(
        data,
        name=b"kestrin.txt" if query_int(req, "name", 0) else None,
        extra=b"KX\x04\x00abcd" if query_int(req, "extra", 0) else None,
        comment=b"a comment" if query_int(req, "comment", 0) else None,
        magic=b"\x1f\x8c" if query_int(req, "badmagic", 0) else b"\x1f\x8b",
        isize=query_int(req, "isize", -1) if "isize" in req.query else None)
    if query_int(req, "truncate", 0):
        body = body[:len(body) // 2]
    encoding = req.query.get("encoding", ["gzip"])[0]
    req.reply(200, body, "text/plain", {"Content-Encoding": encoding})


def r_deflate(req):
    """Raw-deflate body of TEXT (?zlib=1: zlib-wrapped as RFC 1950 says); ?size=N: N zero bytes."""
    size = query_int(req, "size", -1)
    data = TEXT if size < 0 else bytes(size)
    body = zlib.compress(data, 9) if query_int(req, "zlib", 0) else raw_deflate(data)
    req.reply(200, body, "text/plain", {"Content-Encoding": "deflate"})


def r_empty(req):
    req.reply(200, b"", "text/plain")


def r_chunked(req):
    """?size=N pattern bytes (default 20000) in chunks of ?chunk=M bytes, with no Content-Length."""
    size = query_int(req, "size", 20000)
    chunk = max(1, query_int(req, "chunk", 4096))
    data = pattern(size)
    req.send_response(200)
    req.send_header("Content-Type", "application/octet-stream")
    req.send_header("Transfer-Encoding", "chunked")
    req.end_headers()
    for i in range(0, len(data), chunk):
        part = data[i:i + chunk]
        req.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
        req.wfile.flush()
    req.wfile.write(b"0\r\n\r\n")


def r_slow(req):
    """Waits ?delay=S seconds (default 10) before answering."""
    deadline = time.time() + query_int(req, "delay", 10)
    while time.time() < deadline and not req.server.stopping:
        time.sleep(0.05)
    req.reply(200, b"slow", "text/plain")


def r_echo(req):
    """Body: the request line's target, then the request headers as received."""
    text = req.path + "\n" + "".join("%s: %s\n" % (k, v) for k, v in req.headers.items())
    req.reply(200, text.encode("latin-1"), "text/plain")


def r_status(req):
    """Answers with ?code=N (default 404) and a short body."""
    code = query_int(req, "code", 404)
    req.reply(code, b"status %d" % code, "text/plain")


def r_redirect(req):
    """302 to ?to=PATH (default /plain)."""
    to = req.query.get("to", ["/plain"])[0]
    req.reply(302, b"", "text/plain", {"Location": to})


def r_files(req):
    rel = urllib.parse.unquote(req.route_rest).lstrip("/")
    for root in req.server.files:
        path = os.path.realpath(os.path.join(root, rel))
        if path.startswith(os.path.realpath(root) + os.sep) and os.path.isfile(path):
            with open(path, "rb") as f:
                req.reply(200, f.read(), "application/octet-stream")
            return
    req.reply(404, b"no such file", "text/plain")


# Path -> handler. A path ending in "/" matches every path below it (req.route_rest is the rest).
ROUTES = {
    "/plain": r_plain,
    "/gzip": r_gzip,
    "/deflate": r_deflate,
    "/empty": r_empty,
    "/chunked": r_chunked,
    "/slow": r_slow,
    "/echo": r_echo,
    "/status": r_status,
    "/redirect": r_redirect,
    "/files/": r_files,
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("%s %s\n" % (self.server.name, fmt % args))

    def reply(self, code, body, content_type, headers=None):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        self.query = urllib.parse.parse_qs(parts.query)
        self.route_rest = ""
        handler = ROUTES.get(parts.path)
        if handler is None:
            for prefix, h in ROUTES.items():
                if prefix.endswith("/") and parts.path.startswith(prefix):
                    handler, self.route_rest = h, parts.path[len(prefix):]
                    break
        if handler is None:
            self.reply(404, b"no such route", "text/plain")
            return
        try:
            handler(self)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass

    do_HEAD = do_GET
    do_POST = do_GET


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = False

    def __init__(self, name, context, args):
        super().__init__((HOST, 0), Handler)
        self.name = name
        self.files = args.files or []
        self.verbose = args.verbose
        self.stopping = False
        if context is not None:
            self.socket = context.wrap_socket(self.socket, server_side=True, do_handshake_on_connect=False)

    def finish_request(self, request, client_address):
        # On the connection's own thread, so that a silent client holds up nobody else.
        if isinstance(request, ssl.SSLSocket):
            request.settimeout(30)
            try:
                request.do_handshake()
            except (ssl.SSLError, OSError):
                return
            request.settimeout(None)
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        if self.verbose:
            super().handle_error(request, client_address)


# HTTPS listeners: name -> (certificate chain file, key file) inside the PKI folder.
HTTPS_PROFILES = {
    "https": ("server-ov-chain.pem", "server-ov.key"),
    "https_dv": ("server-dv-chain.pem", "server-dv.key"),
    "https_other": ("server-other-chain.pem", "server-other.key"),
    "https_expired": ("server-expired-chain.pem", "server-expired.key"),
    "https_untrusted": ("server-untrusted-chain.pem", "server-untrusted.key"),
}


# The refused port stays bound (without listening) for the service's life: a connection to it is
# refused, and no other server, of this run or another, can be given the same port meanwhile.
_refusing_sockets = []


def refused_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind((HOST, 0))
    _refusing_sockets.append(s)
    return s.getsockname()[1]


def load_routes(files):
    for i, path in enumerate(files or []):
        spec = importlib.util.spec_from_file_location("kestrin_routes_%d" % i, path)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        module.register(ROUTES)


def run(args):
    load_routes(args.routes)
    servers = [Server("http", None, args)]
    if args.pki:
        for name, (chain, key) in HTTPS_PROFILES.items():
            chain, key = os.path.join(args.pki, chain), os.path.join(args.pki, key)
            if os.path.exists(chain) and os.path.exists(key):
                ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
                ctx.minimum_version = ssl.TLSVersion.TLSv1_2
                ctx.load_cert_chain(chain, key)
                servers.append(Server(name, ctx, args))
    for s in servers:
        threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True).start()

    os.makedirs(args.state, exist_ok=True)
    lines = ["%s=%d\n" % (s.name, s.server_address[1]) for s in servers]
    lines.append("refused=%d\n" % refused_port())
    tmp = os.path.join(args.state, "ports.tmp")
    with open(tmp, "w") as f:
        f.writelines(lines)
    os.replace(tmp, os.path.join(args.state, "ports.txt"))

    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *a: done.set())
    signal.signal(signal.SIGINT, lambda *a: done.set())
    # Never outlive a forgotten test run.
    deadline = time.time() + args.lifetime
    while not done.is_set() and time.time() < deadline:
        done.wait(0.1)
    for s in servers:
        s.stopping = True
    stoppers = [threading.Thread(target=s.shutdown) for s in servers]
    for t in stoppers:
        t.start()
    for t in stoppers:
        t.join()


def start(args):
    os.makedirs(args.state, exist_ok=True)
    stop(args)
    ports = os.path.join(args.state, "ports.txt")
    if os.path.exists(ports):
        os.remove(ports)
    argv = [sys.executable, os.path.abspath(__file__), "run"] + args.rest_argv
    log = open(os.path.join(args.state, "service.log"), "ab")
    proc = __import__("subprocess").Popen(argv, stdin=__import__("subprocess").DEVNULL, stdout=log,
                                          stderr=log, start_new_session=True, close_fds=True)
    with open(os.path.join(args.state, "pid"), "w") as f:
        f.write(str(proc.pid))
    deadline = time.time() + 20
    while time.time() < deadline:
        if os.path.exists(ports):
            sys.stdout.write(open(ports).read())
            return 0
        if proc.poll() is not None:
            sys.stderr.write("test service ended early; see %s/service.log\n" % args.state)
            return 1
        time.sleep(0.05)
    sys.stderr.write("test service did not start\n")
    return 1


def alive(pid):
    """True while the process runs (a zombie waiting for its reaper counts as ended)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        try:
            os.kill(pid, 0)
            return True
        except ProcessLookupError:
            return False


def stop(args):
    pid_file = os.path.join(args.state, "pid")
    if not os.path.exists(pid_file):
        return 0
    try:
        pid = int(open(pid_file).read().strip())
        os.kill(pid, signal.SIGTERM)
        for _ in range(200):
            if not alive(pid):
                break
            time.sleep(0.025)
    except (ValueError, ProcessLookupError):
        pass
    os.remove(pid_file)
    return 0


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("command", choices=["start", "stop", "run"])
    p.add_argument("--state", required=True, help="folder for ports.txt, pid and service.log")
    p.add_argument("--pki", help="folder made by tools/pki/make-pki.sh (enables HTTPS)")
    p.add_argument("--files", action="append", help="folder served under /files/")
    p.add_argument("--routes", action="append", help="Python file with register(routes)")
    p.add_argument("--lifetime", type=float, default=1800, help="seconds before the service ends itself")
    p.add_argument("--verbose", action="store_true")
    args = p.parse_args()
    argv = sys.argv[2:]
    args.rest_argv = argv
    if args.command == "run":
        run(args)
        return 0
    if args.command == "start":
        return start(args)
    return stop(args)


if __name__ == "__main__":
    sys.exit(main())
