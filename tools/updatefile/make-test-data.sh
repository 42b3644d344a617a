#!/usr/bin/env bash
# Makes the tests' update files and certificates into a folder of the build.
#   tools/updatefile/make-test-data.sh OUT-DIR
# Update files (all but the last three signed by the project's signer for the project's key):
#   good.dat          records.xml; second.dat: records-second.xml
#   other-signer.dat  records.xml signed by another, valid certificate
#   expired.dat       records.xml signed by an expired certificate (expired-signer.thumbprint)
#   wrong-key.dat     records.xml enciphered for another key
#   damaged.dat       good.dat with one byte of its cipher text changed; truncated.dat: cut short
#   doctype.dat       a document with a document type declaration
#   unsigned.dat      records.xml enciphered without a signature
# Certificates (DER, .cer) for the popup and the trusted list:
#   root-nowhere + leaf-nowhere   root's organisation unknown, its thumbprint a key of records.xml
#   root-torvan + leaf-torvan     root's organisation "Torvan CA Limited" (built-in table)
#   root-plain + leaf-wildcard    unknown root without logo, leaf "*.example.test"
#   inter-orphan + leaf-orphan    a chain whose root is missing
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$1
data=$root/tests/common/update/data
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

selfsigned() {  # name subject [days]
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days "${3:-3650}" -subj "$2" \
    -addext "basicConstraints=critical,CA:TRUE" -keyout "$1.key" -out "$1.crt" 2>/dev/null
}
issue() {  # name subject issuer [extensions]
  openssl req -new -newkey rsa:2048 -nodes -subj "$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
  printf '%s\n' "${4:-basicConstraints=CA:FALSE}" > "$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$3.crt" -CAkey "$3.key" -CAcreateserial -days 3650 -sha256 \
    -extfile "$1.ext" -out "$1.crt" 2>/dev/null
}
thumb() { openssl x509 -in "$1.crt" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g' | tr A-F a-f; }
der() { openssl x509 -in "$1.crt" -outform DER -out "$out/$1.cer"; }

# Certificates of the pages.
selfsigned root-nowhere "/O=Nowhere Trust Services/CN=Nowhere Root CA"
issue leaf-nowhere "/O=Example Shop Ltd/CN=www.example.test" root-nowhere
selfsigned root-torvan "/O=Torvan CA Limited/CN=Torvan Test Root"
issue leaf-torvan "/O=A Bank With A Very Long Name That Wraps Over Several Lines Plc/CN=bank.example.test" root-torvan
selfsigned root-plain "/O=Plain Authority Of Somewhere Far Away/CN=Plain Root"
issue leaf-wildcard "/O=Wild Things Inc/CN=*.example.test" root-plain
selfsigned root-missing "/O=Missing Root/CN=Missing Root"
issue inter-orphan "/O=Orphan Intermediate/CN=Orphan CA" root-missing "basicConstraints=critical,CA:TRUE"
issue leaf-orphan "/O=Orphan Site/CN=orphan.example.test" inter-orphan
for c in root-nowhere leaf-nowhere root-torvan leaf-torvan root-plain leaf-wildcard inter-orphan leaf-orphan; do
  der $c
done
thumb root-nowhere > "$out/root-nowhere.thumbprint"

# Other signers and another update key.
selfsigned other-signer "/O=Someone Else/CN=Other Signing"
selfsigned other-key "/O=Someone Else/CN=Other Update Key"
mkdir -p ca/new && : > ca/index.txt && echo 1000 > ca/serial
cat > ca.cnf <<CNF
[ca]
default_ca = test
[test]
dir = ca
database = ca/index.txt
new_certs_dir = ca/new
serial = ca/serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
CNF
openssl req -new -newkey rsa:2048 -nodes -subj "/O=Torvan Group/CN=Expired Update Signing" \
  -keyout expired-signer.key -out expired-signer.csr 2>/dev/null
openssl ca -batch -config ca.cnf -selfsign -keyfile expired-signer.key -in expired-signer.csr \
  -startdate 20200101000000Z -enddate 20210101000000Z -out expired-signer.crt 2>/dev/null
thumb expired-signer > "$out/expired-signer.thumbprint"

mk="python3 $here/make-update.py"
rec=(--replace @ROOT@ "$(cat "$out/root-nowhere.thumbprint")")
$mk build "$data/records.xml" "${rec[@]}" -o "$out/good.dat" --document "$out/records.doc.xml"
$mk build "$data/records-second.xml" -o "$out/second.dat"
$mk build "$data/records.xml" "${rec[@]}" -o "$out/other-signer.dat" --signer-cert other-signer.crt --signer-key other-signer.key
$mk build "$data/records.xml" "${rec[@]}" -o "$out/expired.dat" --signer-cert expired-signer.crt --signer-key expired-signer.key
$mk build "$data/records.xml" "${rec[@]}" -o "$out/wrong-key.dat" --recipient other-key.crt
$mk pack "$data/doctype.xml" -o "$out/doctype.dat"
openssl cms -encrypt -binary -des3 -outform DER -in "$out/records.doc.xml" -out "$out/unsigned.dat" \
  "$here/keys/update-key.crt"
python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
good = open(out + '/good.dat', 'rb').read()
damaged = bytearray(good)
damaged[len(damaged) // 2] ^= 0x5A
open(out + '/damaged.dat', 'wb').write(damaged)
open(out + '/truncated.dat', 'wb').write(good[: len(good) * 2 // 3])
PY
touch "$out/stamp"
