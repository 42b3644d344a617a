"""Site-seal lookup service for the tests and the demo (a --routes file of testservice.py).

GET /nlr_searcher/binary/certificate.asp?v_querytype=NLR&v_search=<host>&v_serial=0 answers in
the lookup reply format: "<!--AUTOINFO\\n", the header ("num=N\\n", then one "size=S ..." line per
certificate), "-->\\n", then the certificates' DER bytes back to back.

Which certificates: the files FILESDIR/nlr/<host>/*.der (in name order) when a --files folder
has them (the demo puts real seal certificates there); otherwise made-up DER records by host:
  records-<N>.<any>        N records; record i is SEQUENCE of (100 + 37 i - 4) bytes (31 i + k) % 251
  slow-records-<N>.<any>   the same, answered after one second
  crlf.<any>               two records, header lines ending in CR LF
  oversize.<any>           two records, the second claiming more bytes than the body holds
  noend.<any>              a header without "-->"
  anything else            num=0
The same path with v_querytype=DXREV is the verification control's revocation lookup for the
serial number in v_search: the control reads no content, only whether the request succeeded,
so a serial that FILESDIR/revoked.txt lists (one upper-case hexadecimal serial a line) gets its
connection closed without an answer, and any other serial a short "not revoked" page.

GET /znr_searcher/quorvel?v_shortname=..&v_search=..&v_querytype=..&x=5&y=5 is the site-seal
popup page: a small HTML page naming the seal and the page it was asked for.

GET /nlr_searcher/recorded lists every lookup, revocation and popup-page request received: per
request its target and headers, then a line "--".
"""

import html
import os
import re
import threading
import time

_recorded = []
_lock = threading.Lock()


def record(i):
    size = 100 + 37 * i
    content = bytes((31 * i + k) % 251 for k in range(size - 4))
    return b"\x30\x82" + (size - 4).to_bytes(2, "big") + content


def reply(records, header_lines=None, eol=b"\n", end=True):
    lines = header_lines
    if lines is None:
        lines = [b"num=%d" % len(records)] + [b"size=%d name=seal%d" % (len(r), i) for i, r in enumerate(records)]
    head = b"<!--AUTOINFO\n" + b"".join(l + eol for l in lines)
    if end:
        head += b"-->\n"
    return head + b"".join(records)


def files_for(req, host):
    for root in req.server.files:
        folder = os.path.join(root, "nlr", host)
        if os.path.isdir(folder):
            names = sorted(n for n in os.listdir(folder) if n.endswith(".der"))
            return [open(os.path.join(folder, n), "rb").read() for n in names]
    return None


def remember(req):
    with _lock:
        _recorded.append(req.path + "\n" + "".join("%s: %s\n" % (k, v) for k, v in req.headers.items()) + "--\n")


def revoked_serials(req, name="revoked.txt"):
    serials = set()
    for root in req.server.files:
        path = os.path.join(root, name)
        if os.path.isfile(path):
            serials.update(line.strip().upper() for line in open(path) if line.strip())
    return serials


def revocation(req):
    serial = req.query.get("v_search", [""])[0].upper()
    if serial in revoked_serials(req):
        req.close_connection = True
        req.connection.close()  # no answer: the request fails
        return
    if serial in revoked_serials(req, "revocation-error.txt"):
        req.reply(503, b"<html><body><h1>Service Unavailable</h1></body></html>", "text/html")
        return
    req.reply(200, b"<html><body>not revoked</body></html>", "text/html")


def popup_page(req):
    remember(req)
    name = html.escape(req.query.get("v_shortname", [""])[0])
    search = html.escape(req.query.get("v_search", [""])[0])
    body = ("<html><head><title>%s</title></head><body><h3>%s</h3><p>Seal shown on %s</p></body></html>"
            % (name, name, search)).encode("utf-8")
    req.reply(200, body, "text/html; charset=utf-8")


def lookup(req):
    remember(req)
    if req.query.get("v_querytype", [""])[0] == "DXREV":
        revocation(req)
        return
    host = req.query.get("v_search", [""])[0]
    real = files_for(req, host)
    if real is not None:
        body = reply(real)
    else:
        label = host.split(".")[0]
        m = re.fullmatch(r"(slow-)?records-(\d+)", label)
        if m:
            if m.group(1):
                time.sleep(1.0)
            body = reply([record(i) for i in range(int(m.group(2)))])
        elif label == "crlf":
            body = reply([record(0), record(1)], eol=b"\r\n")
        elif label == "oversize":
            recs = [record(0), record(1)]
            body = reply(recs, [b"num=2", b"size=%d" % len(recs[0]), b"size=5000"])
        elif label == "noend":
            body = reply([record(0)], end=False)
        else:
            body = reply([])
    req.reply(200, body, "application/octet-stream")


def recorded(req):
    with _lock:
        text = "".join(_recorded)
    req.reply(200, text.encode("latin-1"), "text/plain")


def register(routes):
    routes["/nlr_searcher/binary/certificate.asp"] = lookup
    routes["/nlr_searcher/recorded"] = recorded
    routes["/znr_searcher/quorvel"] = popup_page
