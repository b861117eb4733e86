#!/usr/bin/env bash
# Creates, in the folder given (emptied first), the certificates of the local
# HTTPS mirror: a test certificate authority and a server certificate for
# 127.0.0.1 and localhost signed by it. For the transfer tests it also makes a
# certificate for another host signed by the same authority, a certificate for
# 127.0.0.1 signed by an authority that no one trusts, an expired one, and the
# files to fetch (in FOLDER/www), among them vendor.exe and unsigned.exe, a
# small Windows program signed under the test authority in the vendor's name,
# and unsigned.
#
#   make-test-pki.sh [--server-only] [--days N] FOLDER
#
# --server-only makes the authority and the server certificate and nothing
# else; --days sets how long they stay valid (30 days by default).
set -euo pipefail

usage="usage: make-test-pki.sh [--server-only] [--days N] FOLDER"
server_only=
days=30
while [ $# -gt 1 ]; do
    case $1 in
        --server-only) server_only=yes; shift ;;
        --days) days=${2:?$usage}; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
out=${1:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out"
cd "$out"

authority() {
    local name=$1 subject=$2
    openssl ecparam -name prime256v1 -genkey -noout -out "$name.key"
    openssl req -x509 -new -key "$name.key" -sha256 -days "$days" -subj "$subject" \
        -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" -out "$name.pem"
}

server_certificate() {
    local name=$1 authority=$2 names=$3
    openssl ecparam -name prime256v1 -genkey -noout -out "$name.key"
    openssl req -new -key "$name.key" -subj "/CN=${name}" -out "$name.csr"
    printf '%s\n' "subjectAltName=$names" "extendedKeyUsage=serverAuth" \
        "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
        "subjectKeyIdentifier=hash" "authorityKeyIdentifier=keyid" > "$name.ext"
    openssl x509 -req -in "$name.csr" -CA "$authority.pem" -CAkey "$authority.key" \
        -CAcreateserial -sha256 -days "$days" -extfile "$name.ext" -out "$name.pem" 2>/dev/null
    rm -f "$name.csr" "$name.ext"
}

# Each run's authorities get names of their own: a certificate store that
# still holds an authority of an earlier run must not take it for this one.
run_id=$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')
authority ca "/CN=Quibrant Test CA $run_id"
server_certificate server ca "IP:127.0.0.1,DNS:localhost"
if [ -n "$server_only" ]; then
    exit 0
fi
mkdir -p www/clientes work
authority rogue-ca "/CN=Untrusted Test CA $run_id"
server_certificate other-host ca "DNS:otro-servidor.example"
server_certificate untrusted rogue-ca "IP:127.0.0.1,DNS:localhost"
# Valid until the day before it was made: expired.
days=-1 server_certificate expired ca "IP:127.0.0.1,DNS:localhost"

# Sizes around the 1024-byte piece, an exact multiple of it and a few MiB.
for size in 1 1023 1024 1025 8192; do
    head -c "$size" /dev/urandom > "www/f$size.bin"
done
head -c $((3 * 1024 * 1024 + 321)) /dev/urandom > www/big.bin
# Zeros cost nothing to make and show whether memory stays flat.
truncate -s 64M www/flat.bin
cp www/f1025.bin www/clientes/quibrant6_3.exe
"$here/make-signed-installers.sh" --vendor-only . signed > /dev/null
cp signed/vendor.exe signed/unsigned.exe www/
