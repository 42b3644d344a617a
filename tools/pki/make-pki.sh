#!/usr/bin/env bash
# Makes the test PKI and the PKCS#7 test messages with openssl.
#   tools/pki/make-pki.sh <output folder>
# Every key and certificate here is the project's own test material: nothing else trusts it.
# Contents (PEM unless .der; .key are unencrypted PEM keys):
#   root.pem/.der/.key            "Kestrin Test Root CA" (self-signed; tests install it into
#                                 the LocalMachine "Root" store of their Wine prefix)
#   inter.pem/.der/.key           "Kestrin Test Intermediate CA", issued by the root
#   server-ov.*                   127.0.0.1 / localhost, O=Kestrin Test Organisation (serial 0x1A2B3C)
#   server-dv.*                   127.0.0.1 / localhost, OU=Domain Control Validated, no O
#   server-other.*                other.kestrin.test, O=Kestrin Test Organisation
#   server-expired.*              127.0.0.1 / localhost, valid 2001-2002 only
#   untrusted-root.*              "Kestrin Untrusted Root CA" (never installed)
#   server-untrusted.*            127.0.0.1 / localhost, issued by the untrusted root
#   server-<x>-chain.pem          leaf followed by its issuing CA (what the HTTPS service sends)
#   signer.*                      message signer (issued by the intermediate)
#   recipient.*                   message recipient (issued by the intermediate)
#   recipient.pfx                 recipient certificate and key, PKCS#12, empty password
#   recipient-pw.pfx              the same, password "kestrin"
#   recipient.keyblob             the recipient key as a CryptoAPI PRIVATEKEYBLOB
#   message.txt                   the plain text of every message below
#   enveloped-3des.p7m            message.txt enveloped for the recipient, 3DES-CBC (DER)
#   enveloped-aes128.p7m          ... AES-128-CBC;  enveloped-aes256.p7m ... AES-256-CBC
#   enveloped-3des-keyid.p7m      ... 3DES, recipient named by subject key identifier
#   signed-sha1.p7s               message.txt signed by the signer, SHA-1, content attached (DER)
#   signed-sha1-noattr.p7s        the same without signed attributes
#   signed-enveloped.p7m          signed-sha1.p7s enveloped for the recipient, 3DES (DER)
set -euo pipefail
out=${1:?output folder}
mkdir -p "$out"
cd "$out"
rm -rf ca.work && mkdir ca.work
: > ca.work/index.txt

cat > ca.work/ca.cnf <<'EOF'
[ ca ]
default_ca = test_ca
[ test_ca ]
database = ca.work/index.txt
new_certs_dir = ca.work
serial = ca.work/serial
default_md = sha256
policy = policy_any
unique_subject = no
copy_extensions = none
[ policy_any ]
commonName = supplied
organizationName = optional
organizationalUnitName = optional
countryName = optional
[ req ]
distinguished_name = dn
prompt = no
[ dn ]
CN = unused
[ v3_root ]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ v3_inter ]
basicConstraints = critical, CA:true, pathlen:0
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ v3_server ]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:localhost, IP:127.0.0.1, DNS:127.0.0.1
[ v3_other ]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
subjectAltName = DNS:other.kestrin.test
[ v3_signer ]
basicConstraints = CA:false
keyUsage = critical, digitalSignature, nonRepudiation
extendedKeyUsage = emailProtection, codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[ v3_recipient ]
basicConstraints = CA:false
keyUsage = critical, keyEncipherment, dataEncipherment
extendedKeyUsage = emailProtection
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF

key() { openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1.key" 2>/dev/null; }
csr() { openssl req -new -key "$1.key" -subj "$2" -config ca.work/ca.cnf -out "ca.work/$1.csr"; }
# sign <name> <issuer> <extensions> <serial hex> [start end]
sign() {
  local name=$1 issuer=$2 ext=$3 serial=$4
  echo "$serial" > ca.work/serial
  local dates=(-days 3650)
  [ $# -ge 6 ] && dates=(-startdate "$5" -enddate "$6")
  openssl ca -batch -notext -config ca.work/ca.cnf -cert "$issuer.pem" -keyfile "$issuer.key" \
    -extensions "$ext" "${dates[@]}" -in "ca.work/$name.csr" -out "$name.pem" 2>/dev/null
  openssl x509 -in "$name.pem" -outform DER -out "$name.der"
}
selfsign() {
  local name=$1 subj=$2 serial=$3
  key "$name"
  csr "$name" "$subj"
  echo "$serial" > ca.work/serial
  openssl ca -batch -notext -selfsign -config ca.work/ca.cnf -keyfile "$name.key" -extensions v3_root \
    -days 7300 -in "ca.work/$name.csr" -out "$name.pem" 2>/dev/null
  openssl x509 -in "$name.pem" -outform DER -out "$name.der"
}
leaf() {  # leaf <name> <subject> <issuer> <extensions> <serial> [start end]
  local name=$1 subj=$2; shift 2
  key "$name"
  csr "$name" "$subj"
  sign "$name" "$@"
  cat "$name.pem" "$1.pem" > "$name-chain.pem"
}

selfsign root "/CN=Kestrin Test Root CA/O=Kestrin Test Authority" 01
key inter
csr inter "/CN=Kestrin Test Intermediate CA/O=Kestrin Test Authority"
sign inter root v3_inter 02

leaf server-ov "/CN=127.0.0.1/O=Kestrin Test Organisation" inter v3_server 1A2B3C
leaf server-dv "/OU=Domain Control Validated/CN=127.0.0.1" inter v3_server 10
leaf server-other "/CN=other.kestrin.test/O=Kestrin Test Organisation" inter v3_other 11
leaf server-expired "/CN=127.0.0.1/O=Kestrin Test Organisation" inter v3_server 12 \
  20010101000000Z 20020101000000Z

selfsign untrusted-root "/CN=Kestrin Untrusted Root CA/O=Nobody Trusts This" 03
leaf server-untrusted "/CN=127.0.0.1/O=Kestrin Test Organisation" untrusted-root v3_server 13

leaf signer "/CN=Kestrin Test Signer/O=Kestrin Test Organisation" inter v3_signer 20
leaf recipient "/CN=Kestrin Test Recipient/O=Kestrin Test Organisation" inter v3_recipient 21

# PKCS#12 with algorithms every CryptoAPI reads (SHA-1 MAC, 3DES key and certificate bags).
p12() {
  openssl pkcs12 -export -in recipient.pem -inkey recipient.key -out "$1" -passout "pass:$2" \
    -keypbe PBE-SHA1-3DES -certpbe PBE-SHA1-3DES -macalg sha1 -name "Kestrin Test Recipient"
}
p12 recipient.pfx ""
p12 recipient-pw.pfx kestrin
# The recipient key as a CryptoAPI PRIVATEKEYBLOB (for CryptImportKey).
openssl rsa -in recipient.key -outform MSBLOB -out recipient.keyblob 2>/dev/null

printf 'Kestrin test message.\r\nSecond line of the message, long enough to span several cipher blocks.\r\n' > message.txt
enc() { openssl cms -encrypt -binary "-$1" -in "$2" -outform DER -out "$3" recipient.pem; }
enc des3 message.txt enveloped-3des.p7m
enc aes-128-cbc message.txt enveloped-aes128.p7m
enc aes-256-cbc message.txt enveloped-aes256.p7m
openssl cms -encrypt -binary -des3 -keyid -in message.txt -outform DER -out enveloped-3des-keyid.p7m recipient.pem
openssl cms -sign -binary -nodetach -md sha1 -signer signer.pem -inkey signer.key -certfile inter.pem \
  -in message.txt -outform DER -out signed-sha1.p7s
openssl cms -sign -binary -nodetach -md sha1 -noattr -signer signer.pem -inkey signer.key \
  -in message.txt -outform DER -out signed-sha1-noattr.p7s
enc des3 signed-sha1.p7s signed-enveloped.p7m

rm -rf ca.work
touch stamp
