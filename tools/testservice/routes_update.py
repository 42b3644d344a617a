"""Update information for the tray program's daily check (a --routes file of testservice.py).

GET /updinfo/<case>/update/krupdate.inf answers an update-information file. The request must
carry the header "DRAVIX_VERSION" (any value); without it the answer is 400. An installer on
"the update host" is on the host the request was sent to (its Host header without the port).
Cases:
  newer       LV=2.7.0.15, an https installer on the update host ending in ".EXE" (CR LF)
  newer-lf    the same with LF line ends and text around the block
  same        LV=2.7.0.14
  older       LV=2.6.9.99
  http        LV=2.7.0.15, a plain-http installer
  file        LV=2.7.0.15, a file: installer
  unc         LV=2.7.0.15, a UNC path
  twofields   LV=3.0
  zip         an https installer ending in ".zip"
  foreign     LV=2.7.0.15, an https installer on another host
  userinfo    LV=2.7.0.15, the update host as user information in front of another host
  backslash   LV=2.7.0.15, another host, then a backslash and "@" and the update host
  lookalike   LV=2.7.0.15, the update host with a Cyrillic letter in place of a Latin one
  dotted      LV=2.7.0.15, the update host in capitals with a trailing dot (offered)
  oversized   a valid block after more text than the reply may hold
  anything else: 404
"""

HTTPS_INSTALLER = "https://{host}/kestrin/KestrinSetup.EXE"

CASES = {
    "newer": ("2.7.0.15", HTTPS_INSTALLER, "\r\n", "", ""),
    "newer-lf": ("2.7.0.15", HTTPS_INSTALLER, "\n", "# update information\n", "trailing text\n"),
    "same": ("2.7.0.14", HTTPS_INSTALLER, "\r\n", "", ""),
    "older": ("2.6.9.99", HTTPS_INSTALLER, "\r\n", "", ""),
    "http": ("2.7.0.15", "http://downloads.torvangroup.test/kestrin/KestrinSetup.exe", "\r\n", "", ""),
    "file": ("2.7.0.15", "file:///C:/Windows/Temp/KestrinSetup.exe", "\r\n", "", ""),
    "unc": ("2.7.0.15", "\\\\fileserver\\share\\KestrinSetup.exe", "\r\n", "", ""),
    "twofields": ("3.0", HTTPS_INSTALLER, "\r\n", "", ""),
    "zip": ("2.7.0.15", "https://{host}/kestrin/KestrinSetup.zip", "\r\n", "", ""),
    "foreign": ("2.7.0.15", "https://downloads.torvangroup.test/kestrin/KestrinSetup.EXE", "\r\n", "", ""),
    "userinfo": ("2.7.0.15", "https://{host}@downloads.torvangroup.test/kestrin/KestrinSetup.EXE", "\r\n", "", ""),
    "backslash": ("2.7.0.15", "https://downloads.torvangroup.test\\@{host}/kestrin/KestrinSetup.EXE", "\r\n", "",
                  ""),
    "lookalike": ("2.7.0.15", "https://{lookalike}/kestrin/KestrinSetup.EXE", "\r\n", "", ""),
    "dotted": ("2.7.0.15", "https://{upper}./kestrin/KestrinSetup.EXE", "\r\n", "", ""),
    "oversized": ("2.7.0.15", HTTPS_INSTALLER, "\r\n", "#" * 9000 + "\r\n", ""),
}


def body(case, host):
    version, url, eol, before, after = CASES[case]
    # A look-alike: the first Latin "e" (or else the first letter) as the Cyrillic one.
    at = host.find("e") if "e" in host else 0
    lookalike = host[:at] + "\u0435" + host[at + 1:]
    url = url.format(host=host, upper=host.upper(), lookalike=lookalike)
    # The reply is 8-bit text in the system's code page; a character it lacks goes as UTF-8.
    return (before + "<DRAVIX:VERSIONINFO>" + eol + "LV=" + version + eol + "URL=" + url + eol +
            "</DRAVIX:VERSIONINFO>" + eol + after).encode("utf-8")


def update_info(req):
    parts = req.route_rest.split("/", 1)
    if len(parts) != 2 or parts[1] != "update/krupdate.inf" or parts[0] not in CASES:
        req.reply(404, b"no such update information", "text/plain")
        return
    if req.headers.get("DRAVIX_VERSION") is None:
        req.reply(400, b"version header missing", "text/plain")
        return
    host = (req.headers.get("Host") or "127.0.0.1").rsplit(":", 1)[0]
    req.reply(200, body(parts[0], host), "text/plain")


def register(routes):
    routes["/updinfo/"] = update_info
