#!/usr/bin/env bash
# Server certificates for 127.0.0.1 that differ only in their subject, issued by the test
# intermediate: the subject rules of the classification are checked against them. The address
# is also given as a DNS name: the SSL policy of Wine matches the host against DNS names only.
#   make-subject-certs.sh <pki folder> <output folder>
set -euo pipefail
pki=${1:?pki folder}
out=${2:?output folder}
mkdir -p "$out"
cd "$out"
cat > ext.cnf <<'CNF'
basicConstraints = CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1, DNS:127.0.0.1
CNF
openssl genrsa -out subject.key 2048 2>/dev/null
make_cert() { # name subject
  openssl req -new -key subject.key -subj "$2" -out "$1.csr" 2>/dev/null
  openssl x509 -req -in "$1.csr" -CA "$pki/inter.pem" -CAkey "$pki/inter.key" -CAcreateserial \
    -CAserial serial.txt -days 3650 -sha256 -extfile ext.cnf -out "$1.pem" 2>/dev/null
  openssl x509 -in "$1.pem" -outform DER -out "$1.der"
  rm -f "$1.csr"
}
make_cert cn-equals-o "/CN=127.0.0.1/O=127.0.0.1"
make_cert ou-domain-validated-plus "/CN=127.0.0.1/O=Kestrin Shop/OU=Domain Validated Plus"
make_cert ou-domain-name-validated "/CN=127.0.0.1/O=Kestrin Shop/OU=Domain Name Validated"
make_cert ou-lower-case "/CN=127.0.0.1/O=Kestrin Shop/OU=domain control validated"
make_cert ou-other "/CN=127.0.0.1/O=Kestrin Shop/OU=Secure Services"
make_cert no-organisation "/CN=127.0.0.1"
touch stamp
