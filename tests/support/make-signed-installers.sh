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
# and, for the code-signing policy's rules:
#   intermediate.exe         signed under an intermediate authority for code signing
#   any-use-intermediate.exe signed under an intermediate authority for any use
#   tls-intermediate.exe     signed under an intermediate authority for TLS servers only
#   no-usage.exe             signed with a certificate that lists no uses
#   ca-signer.exe            signed with a certificate authority's certificate
#   no-digital-signature.exe signed with a certificate without digitalSignature
#   sha384.exe, sha512.exe, sha1.exe, md5.exe  vendor.exe's signature with that digest
#   two-organisations.exe    signed by a subject with two O= values, the vendor's first
#   control-characters.exe   signed by an organisation whose name holds control characters
#   intermediate-timestamped.exe  like expired-timestamped.exe, stamped by an
#                            authority under the code-signing intermediate
#   tls-timestamped.exe      the same, stamped by an authority under the TLS intermediate
#   tls-countersigned.exe    the same with a legacy timestamp from that authority
#   codesigner-countersigned.exe  the same with a legacy timestamp from another
#                            organisation's certificate for code signing and time stamping
#   sha1-timestamped.exe     like expired-timestamped.exe, the timestamp signed with SHA-1
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
    "$out"/{expired-countersigned,truncated,intermediate,any-use-intermediate}.exe \
    "$out"/{tls-intermediate,no-usage,ca-signer,no-digital-signature,sha384,sha512}.exe \
    "$out"/{sha1,md5,two-organisations,control-characters,intermediate-timestamped}.exe \
    "$out"/{tls-timestamped,tls-countersigned,codesigner-countersigned,sha1-timestamped}.exe
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
# An end entity's certificate for digital signatures, listing the extended key
# usage USAGE (none when empty); `constraints` and `key_usage` in the caller's
# environment replace its basic constraints and key usage. NAME.chain.pem holds
# it with the intermediate authorities above it, the certificates a signature
# carries. The key is NAME.key, made when there is none.
certificate() {
    local name=$1 authority=$2 subject=$3 from=$4 until=$5 usage=$6
    if [ ! -f "$name.key" ]; then
        openssl genrsa -out "$name.key" 2048 2>/dev/null
    fi
    openssl req -new -utf8 -key "$name.key" -subj "$subject" -out "$name.csr"
    printf '%s\n' "basicConstraints=${constraints:-critical,CA:FALSE}" \
        "keyUsage=${key_usage:-critical,digitalSignature}" ${usage:+"extendedKeyUsage=$usage"} \
        "subjectKeyIdentifier=hash" "authorityKeyIdentifier=keyid" > "$name.ext"
    openssl ca -batch -utf8 -config ca.cnf -cert "$authority.pem" -keyfile "$authority.key" \
        -in "$name.csr" -out "$name.pem" -startdate "$(when "$from")" \
        -enddate "$(when "$until")" -extfile "$name.ext" -notext -preserveDN 2>/dev/null
    cat "$name.pem" > "$name.chain.pem"
    if [ -f "$authority.chain.pem" ]; then
        cat "$authority.chain.pem" >> "$name.chain.pem"
    fi
}

# intermediate NAME USAGE: an authority under the test authority, limited to USAGE.
intermediate() {
    openssl ecparam -name prime256v1 -genkey -noout -out "$1.key"
    constraints=critical,CA:TRUE key_usage=critical,keyCertSign,cRLSign \
        certificate "$1" ca "/CN=Autoridad intermedia de prueba ($1)" $((now - 3600)) \
        $((now + month)) "$2"
}

# sign CERTIFICATE OUT.exe [osslsigncode option...]
sign() {
    local certificate=$1 target=$2
    shift 2
    osslsigncode sign -certs "$certificate.chain.pem" -key "$certificate.key" -h sha256 \
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

# The timestamping authorities, and the authorities below the test authority
# that the chain rules need. The certificates made for those rules share one
# key, as keys take most of the script's time.
openssl genrsa -out shared.key 2048 2>/dev/null
intermediate code-ca "codeSigning,timeStamping"
intermediate any-ca anyExtendedKeyUsage
intermediate tls-ca serverAuth
stamper() {
    [ "$1" = tsa ] || cp shared.key "$1.key"
    certificate "$1" "$2" "/CN=Autoridad de sellado de prueba ($1)" $((now - 3600)) \
        $((now + month)) "critical,timeStamping"
}
stamper tsa ca
stamper code-tsa code-ca
stamper tls-tsa tls-ca
# Another organisation's certificate for code signing that also lists time stamping.
cp shared.key codesigner.key
certificate codesigner ca "/CN=Otra Empresa/O=Otra Empresa S.A." $((now - 3600)) \
    $((now + month)) "codeSigning,timeStamping"
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
stamps=http://127.0.0.1:$(cat tsa.port)

# Signed and timestamped within the few seconds its certificate is valid,
# which must have ended before the script does.
short_end=$(($(date +%s) + 6))
certificate expiring ca "/CN=$signer/O=$signer" $((now - 2 * 86400)) $short_end codeSigning
sign expiring "$out/expired-timestamped.exe" -ts "$stamps"
sign expiring "$out/expired-countersigned.exe" -t "$stamps"
sign expiring "$out/intermediate-timestamped.exe" -ts "$stamps/code-tsa"
sign expiring "$out/tls-timestamped.exe" -ts "$stamps/tls-tsa"
sign expiring "$out/tls-countersigned.exe" -t "$stamps/tls-tsa"
sign expiring "$out/codesigner-countersigned.exe" -t "$stamps/codesigner"
sign expiring "$out/sha1-timestamped.exe" -ts "$stamps/tsa?digest=sha1"
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

# The vendor's name on certificates that code signing must not accept, or must.
# vendor NAME AUTHORITY USAGE: a certificate in the vendor's name, signing NAME.exe.
vendor() {
    cp shared.key "$1.key"
    certificate "$1" "$2" "/CN=$signer/O=$signer" $((now - 3600)) $((now + month)) "$3"
    sign "$1" "$out/$1.exe"
}
vendor intermediate code-ca codeSigning
vendor any-use-intermediate any-ca codeSigning
vendor tls-intermediate tls-ca codeSigning
vendor no-usage ca ""
constraints=critical,CA:TRUE key_usage=critical,digitalSignature,keyCertSign \
    vendor ca-signer ca codeSigning
key_usage=critical,keyEncipherment vendor no-digital-signature ca codeSigning
for digest in sha384 sha512 sha1 md5; do
    sign vendor "$out/$digest.exe" -h "$digest"
done
cp shared.key two-organisations.key
cp shared.key control-characters.key
certificate two-organisations ca "/CN=$signer/O=$signer/O=Otra Empresa S.A." $((now - 3600)) \
    $((now + month)) codeSigning
sign two-organisations "$out/two-organisations.exe"
certificate control-characters ca $'/CN=Otra/O=Otra\x1b[2J Empresa\a S.A.\u202e' \
    $((now - 3600)) $((now + month)) codeSigning
sign control-characters "$out/control-characters.exe"

# The test authority where libcrypto's variables could point, for a check that
# must not look there.
mkdir hashed
cp ca.pem hashed/
openssl rehash hashed

# One byte of the code, well inside the signed bytes of the file.
cp "$out/vendor.exe" "$out/tampered.exe"
printf '\x90' | dd of="$out/tampered.exe" bs=1 seek=$((0x201)) conv=notrunc status=none
size=$(stat -c %s "$out/vendor.exe")
head -c $((size - 100)) "$out/vendor.exe" > "$out/truncated.exe"

# The short-lived certificate must have expired before anyone checks.
while [ "$(date +%s)" -le "$short_end" ]; do
    sleep 0.5
done
