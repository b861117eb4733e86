#!/usr/bin/env bash
# Signs a built Windows program with `scripts/release sign`, as a release
# does, with throwaway keys made for the run, into WORK (emptied first):
#   pkcs12-timestamped.exe  signed with a PKCS#12 file and its password, and
#                           timestamped by a local RFC 3161 authority
#   pkcs11.exe              signed with the same key held in a SoftHSM token
#   unsigned.exe            what a release makes when no key is named
#   ca.pem                  the throwaway authority above both certificates
# It fails when a signing the release should refuse (a wrong password, a key
# file that is not there) does not fail cleanly, with a message and no file,
# or when the release without a key changes the program or says nothing.
#
#   sign-release-program.sh PROGRAM.exe WORK
set -euo pipefail

usage="usage: sign-release-program.sh PROGRAM.exe WORK"
program=$(realpath "${1:?$usage}")
work=${2:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
cd "$work"
# Whatever key the environment names, the test uses only its own.
unset QUIBRANT_SIGN_PKCS12 QUIBRANT_SIGN_PKCS11_MODULE QUIBRANT_SIGN_PKCS11_KEY \
    QUIBRANT_SIGN_PKCS11_CERT QUIBRANT_SIGN_CERTS QUIBRANT_SIGN_PASSWORD \
    QUIBRANT_SIGN_TIMESTAMP_URL

fail() {
    echo "FALLO: $*" >&2
    exit 1
}

# The authority, and a code-signing certificate of the vendor under it
# (keys/firma/vendor.key, vendor.chain.pem).
"$root/tests/support/make-test-pki.sh" --server-only pki > pki.log 2>&1
"$root/tests/support/make-signed-installers.sh" --vendor-only --program "$program" pki keys \
    >> pki.log 2>&1
cp pki/ca.pem ca.pem
firma=keys/firma
password="contraseña de prueba"
PASSWORD=$password openssl pkcs12 -export -inkey "$firma/vendor.key" \
    -in "$firma/vendor.chain.pem" -passout env:PASSWORD -out vendor.p12

# A timestamping authority under the same root, for time stamping alone.
mkdir tsa
openssl ecparam -name prime256v1 -genkey -noout -out tsa/tsa.key
openssl req -new -key tsa/tsa.key -subj "/CN=Autoridad de sellado de prueba" -out tsa/tsa.csr
printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
    "extendedKeyUsage=critical,timeStamping" > tsa/tsa.ext
openssl x509 -req -in tsa/tsa.csr -CA pki/ca.pem -CAkey pki/ca.key -CAcreateserial -days 2 \
    -sha256 -extfile tsa/tsa.ext -out tsa/tsa.pem 2> /dev/null
cp tsa/tsa.pem tsa/tsa.chain.pem
cat > tsa/tsa.cnf <<CNF
[tsa]
default_tsa = test_tsa
[test_tsa]
dir = $work/tsa
serial = $work/tsa/serial
crypto_device = builtin
signer_cert = $work/tsa/tsa.pem
certs = $work/ca.pem
signer_key = $work/tsa/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256
accuracy = secs:1
ordering = yes
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
echo 01 > tsa/serial
python3 "$root/tests/support/timestamp_server.py" "$work/tsa" > tsa/port &
tsa=$!
trap 'kill $tsa 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -s tsa/port ] && break
    sleep 0.1
done
[ -s tsa/port ] || fail "el servidor de sellado no arrancó"

# The same key in a software token.
mkdir tokens
printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$work/tokens" > softhsm2.conf
export SOFTHSM2_CONF=$work/softhsm2.conf
pin=4321
softhsm2-util --init-token --free --label prueba --pin "$pin" --so-pin 87654321 > token.log
openssl pkcs8 -topk8 -nocrypt -in "$firma/vendor.key" -out vendor.p8
softhsm2-util --import vendor.p8 --token prueba --label firma --id 01 --pin "$pin" >> token.log
module=/usr/lib/softhsm/libsofthsm2.so
[ -f "$module" ] || fail "falta el módulo PKCS#11 de SoftHSM, $module (softhsm2)"

# release NAME [VARIABLE=VALUE...]: scripts/release sign into NAME.exe with
# that environment; its output goes to NAME.log, its status to $status.
release() {
    local name=$1
    shift
    status=0
    env "$@" "$root/scripts/release" sign "$program" "$name.exe" > "$name.log" 2>&1 || status=$?
}

release pkcs12-timestamped QUIBRANT_SIGN_PKCS12=vendor.p12 QUIBRANT_SIGN_PASSWORD="$password" \
    QUIBRANT_SIGN_TIMESTAMP_URL="http://127.0.0.1:$(cat tsa/port)"
[ $status -eq 0 ] || { cat pkcs12-timestamped.log; fail "no firmó con PKCS#12"; }
osslsigncode verify -in pkcs12-timestamped.exe -CAfile ca.pem -TSA-CAfile ca.pem \
    > verify.log 2>&1 || true
grep -q "Timestamp Server Signature verification: ok" verify.log ||
    { cat verify.log; fail "la firma no lleva un sello de tiempo válido"; }

release pkcs11 QUIBRANT_SIGN_PKCS11_MODULE="$module" \
    QUIBRANT_SIGN_PKCS11_KEY="pkcs11:token=prueba;object=firma;type=private" \
    QUIBRANT_SIGN_CERTS="$firma/vendor.chain.pem" QUIBRANT_SIGN_PASSWORD="$pin"
[ $status -eq 0 ] || { cat pkcs11.log; fail "no firmó con el token PKCS#11"; }

release unsigned
[ $status -eq 0 ] || { cat unsigned.log; fail "sin clave, la publicación falla"; }
grep -q "SIN FIRMAR" unsigned.log || { cat unsigned.log; fail "sin clave, no avisa"; }
cmp -s "$program" unsigned.exe || fail "sin clave, el programa no queda como se compiló"

# Refusals: a status, a message, and no file that could pass for signed.
while IFS='|' read -r name expected variables; do
    read -ra assignments <<< "$variables"
    release "$name" "${assignments[@]}"
    [ $status -ne 0 ] || fail "$name: la firma debía fallar"
    grep -q "$expected" "$name.log" || { cat "$name.log"; fail "$name: no dice \"$expected\""; }
    ! compgen -G "$name.exe*" > /dev/null || fail "$name: deja $(compgen -G "$name.exe*")"
done <<CASES
wrong-password|no se pudo firmar|QUIBRANT_SIGN_PKCS12=vendor.p12 QUIBRANT_SIGN_PASSWORD=otra
missing-pkcs12|no nombra ningún fichero|QUIBRANT_SIGN_PKCS12=no-existe.p12
two-keys|una sola clave|QUIBRANT_SIGN_PKCS12=vendor.p12 QUIBRANT_SIGN_PKCS11_MODULE=$module
missing-certificate|falta el certificado|QUIBRANT_SIGN_PKCS11_MODULE=$module QUIBRANT_SIGN_PKCS11_KEY=pkcs11:object=firma
CASES
echo "Firmas de la publicación hechas en $work"
