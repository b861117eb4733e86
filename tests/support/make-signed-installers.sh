#!/usr/bin/env bash
# Signs test installers with code-signing certificates from the test
# authority of a folder made by make-test-pki.sh (ca.pem, ca.key), into OUT:
#   vendor.exe               signed by the vendor ("O=Quibrant S.L.")
#   unsigned.exe             not signed
#   foreign.exe              signed by another organisation
#   tampered.exe             vendor.exe with one byte of its code changed
#   untrusted.exe            signed by the vendor's name under an authority no one trusts
#   expired.exe              signed with a certificate that had already expired
#   expired-timestamped.exe  signed and timestamped (RFC 3161) while its
#                            certificate was valid; the certificate has expired since
#   expired-countersigned.exe  the same with a legacy Authenticode timestamp
#   truncated.exe            vendor.exe cut short
#
#   make-signed-installers.sh [--vendor-only] [--program FILE.exe] [--signer NAME] PKI OUT
#
# --program signs that program instead of a generated minimal one;
# --vendor-only makes vendor.exe and unsigned.exe alone, without the wait for
# a certificate to expire; --signer sets the vendor's organisation.
set -euo pipefail

usage="usage: make-signed-installers.sh [--vendor-only] [--program FILE.exe] [--signer NAME] PKI OUT"
here=$(cd "$(dirname "$0")" && pwd)
vendor_only=
program=
signer="Quibrant S.L."
while [ $# -gt 2 ]; do
    case $1 in
        --vendor-only) vendor_only=yes; shift ;;
        --program) program=$(realpath "${2:?$usage}"); shift 2 ;;
        --signer) signer=${2:?$usage}; shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
pki=$(realpath "${1:?$usage}")
out=${2:?$usage}
mkdir -p "$out"
out=$(realpath "$out")
work=$out/firma
rm -rf "$work"
# osslsigncode writes no file that is already there.
rm -f "$out"/{vendor,unsigned,foreign,tampered,untrusted,expired,expired-timestamped}.exe \
    "$out"/{expired-countersigned,truncated}.exe
mkdir -p "$work/issued"
cd "$work"
: > index.txt
echo 1000 > serial

cat > ca.cnf <<CNF
[ca]
default_ca = test
[test]
database = $work/index.txt
new_certs_dir = $work/issued
serial = $work/serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
organizationName = optional
CNF

when() { date -u -d "@$1" +%Y%m%d%H%M%SZ; }
now=$(date +%s)

# certificate NAME AUTHORITY SUBJECT FROM UNTIL USAGE
certificate() {
    local name=$1 authority=$2 subject=$3 from=$4 until=$5 usage=$6
    openssl genrsa -out "$name.key" 2048 2>/dev/null
    openssl req -new -key "$name.key" -subj "$subject" -out "$name.csr"
    printf '%s\n' "basicConstraints=critical,CA:FALSE" "keyUsage=critical,digitalSignature" \
        "extendedKeyUsage=$usage" "subjectKeyIdentifier=hash" \
        "authorityKeyIdentifier=keyid" > "$name.ext"
    openssl ca -batch -config ca.cnf -cert "$authority.pem" -keyfile "$authority.key" \
        -in "$name.csr" -out "$name.pem" -startdate "$(when "$from")" \
        -enddate "$(when "$until")" -extfile "$name.ext" -notext -preserveDN 2>/dev/null
}

# sign NAME CERTIFICATE OUT.exe [osslsigncode option...]
sign() {
    local certificate=$1 target=$2
    shift 2
    osslsigncode sign -certs "$certificate.pem" -key "$certificate.key" -h sha256 \
        -n "Instalador de prueba" "$@" -in program.exe -out "$target" > /dev/null
}

cp "$pki/ca.pem" "$pki/ca.key" .
if [ -n "$program" ]; then
    cp "$program" program.exe
else
    python3 "$here/make-test-program.py" program.exe
fi
month=$((30 * 24 * 3600))
certificate vendor ca "/CN=$signer/O=$signer" $((now - 3600)) $((now + month)) codeSigning
sign vendor "$out/vendor.exe"
cp program.exe "$out/unsigned.exe"
if [ -n "$vendor_only" ]; then
    exit 0
fi

# First, as its certificate must expire before the script ends: signed and
# timestamped within the few seconds that certificate is valid.
short_end=$((now + 4))
certificate expiring ca "/CN=$signer/O=$signer" $((now - 2 * 86400)) $short_end codeSigning
certificate tsa ca "/CN=Autoridad de sellado de prueba" $((now - 3600)) $((now + month)) \
    "critical,timeStamping"
cat > tsa.cnf <<CNF
[tsa]
default_tsa = test_tsa
[test_tsa]
dir = $work
serial = $work/tsa-serial
crypto_device = builtin
signer_cert = $work/tsa.pem
certs = $work/ca.pem
signer_key = $work/tsa.key
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha384, sha512, sha1
accuracy = secs:1
ordering = yes
tsa_name = no
ess_cert_id_chain = no
ess_cert_id_alg = sha256
CNF
echo 01 > tsa-serial
python3 "$here/timestamp_server.py" "$work" > tsa.port &
tsa=$!
trap 'kill $tsa 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -s tsa.port ] && break
    sleep 0.1
done
sign expiring "$out/expired-timestamped.exe" -ts "http://127.0.0.1:$(cat tsa.port)"
sign expiring "$out/expired-countersigned.exe" -t "http://127.0.0.1:$(cat tsa.port)"
kill $tsa
wait $tsa 2>/dev/null || true
trap - EXIT

certificate foreign ca "/CN=Otra Empresa/O=Otra Empresa S.A." $((now - 3600)) $((now + month)) \
    codeSigning
sign foreign "$out/foreign.exe"
openssl ecparam -name prime256v1 -genkey -noout -out rogue.key
openssl req -x509 -new -key rogue.key -sha256 -days 30 -subj "/CN=Autoridad ajena de prueba" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
    -out rogue.pem
certificate untrusted rogue "/CN=$signer/O=$signer" $((now - 3600)) $((now + month)) codeSigning
sign untrusted "$out/untrusted.exe"
certificate expired ca "/CN=$signer/O=$signer" $((now - 3 * 86400)) $((now - 86400)) codeSigning
sign expired "$out/expired.exe"

# One byte of the code, well inside the signed bytes of the file.
cp "$out/vendor.exe" "$out/tampered.exe"
printf '\x90' | dd of="$out/tampered.exe" bs=1 seek=$((0x201)) conv=notrunc status=none
size=$(stat -c %s "$out/vendor.exe")
head -c $((size - 100)) "$out/vendor.exe" > "$out/truncated.exe"

# The short-lived certificate must have expired before anyone checks.
while [ "$(date +%s)" -le "$short_end" ]; do
    sleep 0.5
done
