#!/usr/bin/env bash
# Makes the project's update key and update-signing certificate. Run once; the results are
# committed (TEST KEYS: their private keys are public in this repository).
#   tools/updatefile/make-keys.sh
# Writes:
#   keys/update-key.{key,crt,p12}  the key the update file is enciphered for; its PKCS#12
#                                  container (no password) is compiled into the add-ons
#   keys/signer.{key,crt}          the certificate that signs the update document
#   common/update/update_key_data.cpp  the container as base64 text and the signer's thumbprint
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
k=$here/keys
mkdir -p "$k"

if [ -e "$k/update-key.p12" ] && [ "${1:-}" != --force ]; then
  echo "make-keys: keys exist already (use --force to make new ones and a new update.dat)" >&2
  exit 1
fi

# About 25 years from today: long enough for the life of the shipped update file.
days=9125
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days $days \
  -subj "/O=Torvan Group/OU=Kestrin test material/CN=Kestrin Update Key" \
  -keyout "$k/update-key.key" -out "$k/update-key.crt" 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days $days \
  -subj "/O=Torvan Group/OU=Kestrin test material/CN=Kestrin Update Signing" \
  -addext "keyUsage=critical,digitalSignature" \
  -keyout "$k/signer.key" -out "$k/signer.crt" 2>/dev/null

# Old PKCS#12 algorithms (3DES, SHA-1 MAC): what CryptoAPI of every Windows version imports.
openssl pkcs12 -export -inkey "$k/update-key.key" -in "$k/update-key.crt" -passout pass: \
  -keypbe PBE-SHA1-3DES -certpbe PBE-SHA1-3DES -macalg sha1 -out "$k/update-key.p12"

python3 - "$k/update-key.p12" "$k/signer.crt" "$root/common/update/update_key_data.cpp" <<'PY'
import base64, hashlib, ssl, sys
p12 = open(sys.argv[1], 'rb').read()
text = base64.encodebytes(p12).decode('ascii')          # lines of 76
der = ssl.PEM_cert_to_DER_cert(open(sys.argv[2]).read())
thumb = hashlib.sha1(der).hexdigest()
lines = ''.join('    "%s\\n"\n' % l for l in text.splitlines())
open(sys.argv[3], 'w').write(f'''// Made by tools/updatefile/make-keys.sh: do not edit. Test keys of the project.
#include "common/update/update_key_data.h"

namespace UpdateUtilsNS {{

// PKCS#12 container (no password) of the key that update files are enciphered for.
const char kUpdateKeyContainer[] =
{lines};
const unsigned kUpdateKeyContainerLength = sizeof(kUpdateKeyContainer) - 1;

// SHA-1 thumbprint of the certificate that signs update files.
const char kUpdateSignerThumbprint[] = "{thumb}";

}}  // namespace UpdateUtilsNS
''')
PY
echo "make-keys: done; now rebuild tools/updatefile/update.dat (make-update.py)"
