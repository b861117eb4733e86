#!/usr/bin/env bash
# Smoke test of the Windows program under wine: a local HTTPS mirror on
# 127.0.0.1, addressed as localhost (wine does not match a certificate's IP
# addresses), serves a test installer under the name that access code GKKA5
# leads to, and the program (its test build, which types the code and presses
# a button by itself) runs twice in the wine prefix given by WINEPREFIX:
#   1. "Solo Descargar": the file must arrive byte-identical, a desktop
#      shortcut must point at it (read back with lnkinfo) and the program must
#      confirm the download and end.
#   2. "Descargar e Instalar": the downloaded installer must start in its own
#      folder.
#   3. "Descargar e Instalar" of the same installer unsigned: refused, never
#      started, and the signed installer already at the destination stays.
#   4. "  Solo   Instalar" on that unsigned installer: refused, never started.
# The installer served in 1 and 2 is signed with a code-signing certificate
# of the test authority in the vendor's name, which the prefix trusts.
# Needs a display (run it under xvfb-run). The test authority is trusted by
# the prefix only while the test runs.
#
#   smoke-test.sh SMOKE_EXE INSTALLER_EXE TRUST_CA_EXE WORK_DIR
set -euo pipefail

smoke=$1 installer=$2 trust_ca=$3 work=$4
support=$(cd "$(dirname "$0")/../support" && pwd)
source "$support/mirror.sh"
port=${QUIBRANT_SMOKE_PORT:-18543}
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"

fail() {
    echo "SMOKE FAILED: $*" >&2
    for log in "$work"/*.log "$work"/messages-*.txt; do
        [ -f "$log" ] && { echo "--- $log"; tail -n 20 "$log"; } >&2
    done
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
"$support/make-test-pki.sh" "$work/pki" > "$work/pki.log" 2>&1 || fail "could not make the test PKI"
www=$work/pki/www
"$support/make-signed-installers.sh" --vendor-only --program "$installer" "$work/pki" \
    "$work/signed" >> "$work/pki.log" 2>&1 || fail "could not sign the test installer"
unsigned=$installer
installer=$work/signed/vendor.exe
mkdir -p "$www/clientes/actual"
cp "$installer" "$www/clientes/actual/quibrant6_3.exe"

mirror_write_conf "$work/nginx" "$port" "$www" "$work/pki/server.pem" "$work/pki/server.key"
trap mirror_cleanup EXIT
mirror_start "$work/nginx" "$port" || fail "nginx did not start"
mirror_trust "$trust_ca" "$work/pki/ca.pem" "$work" ||
    fail "the prefix would not trust the test certificate authority"

destination=$WINEPREFIX/drive_c/Quibrant_Setup.exe
rm -f "$destination" "$WINEPREFIX/drive_c/instalador-ejecutado.txt"
shortcut_name='Instalar Actualización Quibrant 6.lnk'
rm -f "$WINEPREFIX"/drive_c/users/*/Desktop/"$shortcut_name"

# run BUTTON LOG [EXIT-CODE]: the program must end by itself with that code (0).
run() {
    local button=$1 log=$2 expected=${3:-0} status=0
    timeout 120 wine "$smoke" --server "https://localhost:$port/" --code GKKA5 \
        --press "$button" --log "$(winepath -w "$work/messages-$log.txt")" \
        > "$work/wine-$log.log" 2>&1 || status=$?
    [ "$status" -eq "$expected" ] ||
        fail "the program ended with $status, not $expected ($button)"
}

# 1. Download only.
run Command2 download
grep -q '^downloaded|' "$work/messages-download.txt" ||
    fail "no confirmation of the download"
cmp "$destination" "$installer" || fail "the downloaded file differs from the served one"
! compgen -G "$destination.*.descarga" > /dev/null || fail "the partial file was left behind"
shortcut=$(ls "$WINEPREFIX"/drive_c/users/*/Desktop/"$shortcut_name" 2>/dev/null | head -n 1)
[ -n "$shortcut" ] || fail "no shortcut on the desktop"
lnkinfo "$shortcut" > "$work/lnkinfo.log" 2>&1 || fail "lnkinfo cannot read the shortcut"
grep -Eiq 'Local path[[:space:]]*: C:\\Quibrant_Setup\.exe' "$work/lnkinfo.log" ||
    fail "the shortcut does not point at the installer"
grep -Eiq 'Working directory[[:space:]]*: C:\\' "$work/lnkinfo.log" ||
    fail "the shortcut does not start in the installer's folder"
echo "smoke: download-only run passed: $(stat -c %s "$destination") bytes, shortcut $shortcut"

# 2. Download and install: the installer starts in its own folder.
run Command1 install
marker=$WINEPREFIX/drive_c/instalador-ejecutado.txt
for _ in $(seq 100); do
    [ -s "$marker" ] && break
    sleep 0.2
done
[ -s "$marker" ] || fail "the installer did not start"
grep -qi '^C:\\$' "$marker" || fail "the installer did not start in its own folder: $(cat "$marker")"
cmp "$destination" "$installer" || fail "the second download differs from the served one"
echo "smoke: download-and-install run passed"

# 3. The same installer unsigned: refused before it takes the installer's name.
marker=$WINEPREFIX/drive_c/instalador-ejecutado.txt
rm -f "$marker"
cp "$unsigned" "$www/clientes/actual/quibrant6_3.exe"
run Command1 unsigned 3
grep -q '^download-refused|' "$work/messages-unsigned.txt" ||
    fail "no refusal of the unsigned download"
cmp "$destination" "$installer" || fail "the signed installer at the destination was replaced"
leftovers=$(ls -A "$WINEPREFIX/drive_c" | grep -v '^Quibrant_Setup\.exe$' | grep -i quibrant || true)
[ -z "$leftovers" ] || fail "the refused download left files behind: $leftovers"
sleep 1
[ ! -e "$marker" ] || fail "the unsigned installer was started"
echo "smoke: unsigned download refused"

# 4. "  Solo   Instalar" on an unsigned file at the destination.
cp "$unsigned" "$destination"
run Command3 solo-instalar 3
grep -q '^installer-refused|' "$work/messages-solo-instalar.txt" ||
    fail "no refusal of the unsigned installer"
sleep 1
[ ! -e "$marker" ] || fail "the unsigned installer was started"
echo "smoke: unsigned installer not started"
