#!/usr/bin/env python3
"""Draws the project's own issuer logos (84 x 23 GIFs, the popup's logo area) and writes the
source document of the shipped update file, update-source.xml, with one record per authority
identifier of the trusted list's built-in table. Needs ImageMagick and the DejaVu fonts; the
results are committed, so a build never runs this.

  draw-logos.py && make-update.py build update-source.xml -o update.dat
"""
import os
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))

# identifier, file name, label, background colour, emblem colour
AUTHORITIES = [
    ('{2ED9BA65-CDAA-41Fb-9D08-DCA84DD618CF}', 'torvan', 'Torvan', '#17406d', '#f2b632'),
    ('{72DCE218-1C22-4D8a-B1B6-7CC6F7F54C40}', 'akamai', 'Akamai', '#0f6fa8', '#ffffff'),
    ('{8A1EB1BC-0A47-430C-9BB1-E280F608887A}', 'baltimore', 'Baltimore', '#5a2a82', '#d8c8ee'),
    ('{1B0B5857-0C27-4A62-850B-71074C53044C}', 'equifax', 'Equifax', '#8c1d1d', '#ffd1d1'),
    ('{502052B1-E174-4a51-9229-00CDF8455C06}', 'positive', 'Positive', '#2e7d32', '#c8e6c9'),
    ('{BAD76507-17BE-4D43-8666-07FA9114B185}', 'telekom', 'Telekom', '#b0105f', '#ffd0e6'),
    ('{68652774-9F67-4FFE-A53F-C1C59CA411F9}', 'digicert', 'DigiCert', '#1d5fa8', '#bfe0ff'),
    ('{9345B071-F2BB-4451-9B65-74FC04B31E60}', 'dst', 'DST', '#37474f', '#cfd8dc'),
    ('{FEBDBDD6-97AA-4fE3-9CF0-E9A603DFE187}', 'entrust', 'Entrust', '#00695c', '#b2dfdb'),
    ('{DED01BB4-60AE-48Af-9821-A1CA39FB4769}', 'etisalat', 'Etisalat', '#4e7d14', '#e6f5c9'),
    ('{501FE153-68A2-4d11-8D19-BEA2DD63E4B2}', 'firstserver', 'Firstsrv', '#283593', '#c5cae9'),
    ('{8531056C-455D-42fa-88F6-3137B4F06DDC}', 'globalsign', 'GlobalSign', '#0b5394', '#9fc5e8'),
    ('{554F0CF0-FA9B-4A18-8065-175550697DE2}', 'ips', 'IPS CA', '#6d4c41', '#d7ccc8'),
    ('{D24305DF-42FA-45E5-A7EC-949F6A82C635}', 'jcsinc', 'JCSI', '#ad1457', '#f8bbd0'),
    ('{D613E51F-02C1-49b4-8057-7BDEB3195341}', 'mastercard', 'MasterCard', '#e65100', '#ffe0b2'),
    ('{127FC6B1-D4D1-4f45-B5F5-5CFC5A8C736C}', 'netlock', 'NetLock', '#1b5e20', '#a5d6a7'),
    ('{74D5280C-8FE9-4898-9C09-A7D7A654338F}', 'netsol', 'NetSol', '#004d40', '#80cbc4'),
    ('{F57CAE9D-B0BB-4B76-88E2-8F6C3BCB26F8}', 'ntt', 'NTT', '#01579b', '#b3e5fc'),
    ('{C6AF8366-A1C7-4475-ABDD-B1063CD0E9AD}', 'quovadis', 'QuoVadis', '#3e2723', '#ffcc80'),
    ('{7517FBFF-D515-44Fa-8844-31EAD9830CC0}', 'rsc', 'RSC', '#4a148c', '#e1bee7'),
    ('{F75B368F-43EF-442B-A52A-C4EAFF1712A1}', 'rsadsi', 'RSA DSI', '#b71c1c', '#ffcdd2'),
    ('{8CA72DAD-E98C-4fF9-9F1E-E83C49197AC7}', 's1corp', 'S1 Corp', '#0d47a1', '#90caf9'),
    ('{FDE8E26B-6FD5-4229-BDBE-855D250260CA}', 'starfield', 'Starfield', '#263238', '#ffd54f'),
    ('{097368EB-5912-4891-83A9-3A7D5203A7C3}', 'sun', 'Sun', '#5c3d99', '#ffb300'),
    ('{C28EC456-90D0-4243-A2C0-9754C69AEDC2}', 'trustcenter', 'TC Trust', '#33691e', '#dcedc8'),
    ('{3129FC6B-0D2E-47bf-B4AB-E1286C1807B6}', 'tdc', 'TDC', '#006064', '#b2ebf2'),
    ('{47C01A6E-07EF-40F5-B935-B07FAB65A273}', 'thawte', 'Thawte', '#c62828', '#ffffff'),
    ('{7B9865B9-19C3-411f-BF34-260D4C146B01}', 'tsca', 'TSCA', '#455a64', '#eceff1'),
    ('{17D920C3-E624-4153-B61D-A0467C4C7CC3}', 'unicert', 'UniCERT', '#2e7d32', '#fff176'),
    ('{FEC95DCF-1256-4a8F-9B8A-E843BF959066}', 'verisign', 'VeriSign', '#1a237e', '#ffca28'),
    ('{34B350C4-376F-4733-968E-F845889E1138}', 'xramp', 'XRamp', '#880e4f', '#f48fb1'),
    ('{DDF5CDDB-B4A8-4eE6-AC0E-3B6F5AFF31AA}', 'cfc', 'CFC', '#3949ab', '#e8eaf6'),
    ('{2E72BA90-5BAF-4230-9A31-99041FD9125A}', 'msstca', 'MSST CA', '#5d4037', '#ffe082'),
    ('{85764147-C0E7-404D-8890-CF109B2FA936}', 'unizeto', 'Unizeto', '#c2185b', '#fce4ec'),
    ('{C5192890-529C-41BD-939D-C6234C7EAA73}', 'globaltrust', 'GlobalTrust', '#00796b', '#e0f2f1'),
]


def draw(name, label, background, emblem):
    out = os.path.join(HERE, 'logos', name + '.gif')
    # A rounded badge, a round seal with a tick on the left, the name on the right.
    subprocess.run([
        'convert', '-size', '84x23', 'xc:white',
        '-fill', background, '-stroke', background, '-draw', 'roundrectangle 0,0 83,22 5,5',
        '-fill', emblem, '-stroke', emblem, '-draw', 'circle 11,11 11,3',
        '-stroke', background, '-strokewidth', '2', '-fill', 'none',
        '-draw', 'polyline 7,11 10,14 15,8',
        '-stroke', 'none', '-fill', 'white', '-font', 'DejaVu-Sans-Condensed-Bold',
        '-pointsize', '10' if len(label) <= 8 else '8.5',
        '-gravity', 'West', '-annotate', '+22+0', label,
        '+dither', '-colors', '32', out], check=True)
    return 'logos/%s.gif' % name


def main():
    os.makedirs(os.path.join(HERE, 'logos'), exist_ok=True)
    records = []
    for ident, name, label, background, emblem in AUTHORITIES:
        path = draw(name, label, background, emblem)
        records.append('    <Record>\n      <IssuerLogoPath>%s</IssuerLogoPath>\n'
                       '      <Thumbprint>%s</Thumbprint>\n    </Record>\n' % (path, ident))
    with open(os.path.join(HERE, 'update-source.xml'), 'w') as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n'
                '<!-- Source of the shipped update file: the project\'s own logos, one per\n'
                '     authority identifier of the trusted list\'s built-in table. -->\n'
                '<IssuerLogoUpdate>\n  <Version>1.0.0.1</Version>\n'
                '  <NotBefore>2026-12-01</NotBefore>\n  <NotAfter>2036-12-01</NotAfter>\n'
                '  <NumberOfRecords/>\n  <Records>\n%s  </Records>\n</IssuerLogoUpdate>\n'
                % ''.join(records))


if __name__ == '__main__':
    main()
