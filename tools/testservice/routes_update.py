"""Update information for the tray program's daily check (a --routes file of testservice.py).

GET /updinfo/<case>/update/krupdate.inf answers an update-information file. The request must
carry the header "DRAVIX_VERSION" (any value); without it the answer is 400. Cases:
  newer       LV=2.7.0.15, an https installer ending in ".EXE" (CR LF line ends)
  newer-lf    the same with LF line ends and text around the block
  same        LV=2.7.0.14
  older       LV=2.6.9.99
  http        LV=2.7.0.15, a plain-http installer
  file        LV=2.7.0.15, a file: installer
  unc         LV=2.7.0.15, a UNC path
  twofields   LV=3.0
  zip         an https installer ending in ".zip"
  anything else: 404
"""

HTTPS_INSTALLER = "https://downloads.torvangroup.test/kestrin/KestrinSetup.EXE"

CASES = {
    "newer": ("2.7.0.15", HTTPS_INSTALLER, "\r\n", "", ""),
    "newer-lf": ("2.7.0.15", HTTPS_INSTALLER, "\n", "# update information\n", "trailing text\n"),
    "same": ("2.7.0.14", HTTPS_INSTALLER, "\r\n", "", ""),
    "older": ("2.6.9.99", HTTPS_INSTALLER, "\r\n", "", ""),
    "http": ("2.7.0.15", "http://downloads.torvangroup.test/kestrin/KestrinSetup.exe", "\r\n", "", ""),
    "file": ("2.7.0.15", "file:///C:/Windows/Temp/KestrinSetup.exe", "\r\n", "", ""),
    "unc": ("2.7.0.15", "\\\\fileserver\\share\\KestrinSetup.exe", "\r\n", "", ""),
    "twofields": ("3.0", HTTPS_INSTALLER, "\r\n", "", ""),
    "zip": ("2.7.0.15", "https://downloads.torvangroup.test/kestrin/KestrinSetup.zip", "\r\n", "", ""),
}


def body(case):
    version, url, eol, before, after = CASES[case]
    return (before + "<DRAVIX:VERSIONINFO>" + eol + "LV=" + version + eol + "URL=" + url + eol +
            "</DRAVIX:VERSIONINFO>" + eol + after).encode("ascii")


def update_info(req):
    parts = req.route_rest.split("/", 1)
    if len(parts) != 2 or parts[1] != "update/krupdate.inf" or parts[0] not in CASES:
        req.reply(404, b"no such update information", "text/plain")
        return
    if req.headers.get("DRAVIX_VERSION") is None:
        req.reply(400, b"version header missing", "text/plain")
        return
    req.reply(200, body(parts[0]), "text/plain")


def register(routes):
    routes["/updinfo/"] = update_info
