#!/usr/bin/env bash
# Makes the project's THROWAWAY TEST signing authorities: a root, an author CA
# and a distributor CA, with one signer each, as resources/test-certs/.
# Their keys are public; nothing signed with them is fit for release. A
# publisher's own certificates are given to the build as AUTHOR_P12 and
# DISTRIBUTOR_P12.
set -euo pipefail
out=${1:-$(cd "$(dirname "$0")/.." && pwd)/resources/test-certs}
pass=test-only-password
days=7300
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

cat > ext.cnf <<'CNF'
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[subca]
basicConstraints = critical, CA:TRUE, pathlen:0
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[signer]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF

key() { openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1.key"; }
# issue NAME SUBJECT ISSUER EXTENSION
issue() {
  key "$1"
  openssl req -new -key "$1.key" -subj "$2" -out "$1.csr"
  openssl x509 -req -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -set_serial "0x$(openssl rand -hex 8)" \
    -days $days -sha256 -extfile ext.cnf -extensions "$4" -out "$1.pem" 2>/dev/null
}

key test-root
openssl req -new -x509 -key test-root.key -subj "/O=Talvane TEST ONLY/CN=Talvane TEST ONLY Root CA" \
  -days $days -sha256 -config ext.cnf -extensions ca -out test-root.pem
issue test-author-ca "/O=Talvane TEST ONLY/CN=Talvane TEST ONLY Author CA" test-root subca
issue test-distributor-ca "/O=Talvane TEST ONLY/CN=Talvane TEST ONLY Distributor CA" test-root subca
issue test-author "/O=Talvane TEST ONLY/CN=Talvane TEST ONLY Author" test-author-ca signer
issue test-distributor "/O=Talvane TEST ONLY/CN=Talvane TEST ONLY Distributor" test-distributor-ca signer

for who in author distributor; do
  cat test-$who-ca.pem test-root.pem > chain.pem
  openssl pkcs12 -export -inkey test-$who.key -in test-$who.pem -certfile chain.pem \
    -name "Talvane TEST ONLY $who" -passout pass:$pass -out "$out/test-$who.p12"
done
cp test-root.pem "$out/test-root.pem"
# An authority the package must not verify against.
key other-root
openssl req -new -x509 -key other-root.key -subj "/O=Talvane TEST ONLY/CN=Unrelated TEST ONLY Root CA" \
  -days $days -sha256 -config ext.cnf -extensions ca -out "$out/test-other-root.pem"
echo "$pass" > "$out/PASSWORD"
echo "test authorities written to $out"
