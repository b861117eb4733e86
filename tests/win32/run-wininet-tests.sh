#!/usr/bin/env bash
# Runs the WinINet transfer tests under wine against real HTTPS servers on
# 127.0.0.1. A Windows program under wine cannot start Linux programs, so
# this script does: it makes the test PKI and files, starts the scriptable
# server and nginx, trusts the test certificate authority, runs the tests
# and, on every exit, stops the servers and withdraws the trust again.
#
# Trust: wine's WinINet checks certificates against the Windows root store
# of the prefix, which wine fills from the host's store. Rather than add the
# test authority to the host (/usr/local/share/ca-certificates, which changes
# the machine), a small test-only Windows tool adds it to the current user's
# ROOT store of the wine prefix in use (CertAddEncodedCertificateToStore) and
# removes it at the end. Certificate checking itself is never switched off:
# the untrusted server's certificate must still fail.
#
# usage: run-wininet-tests.sh TESTS.exe TRUST-TOOL.exe WORK-FOLDER [test arguments...]
# Ports: WININET_TEST_PORT_BASE (default 18400) to +5.
set -euo pipefail

tests=${1:?usage: run-wininet-tests.sh TESTS.exe TRUST-TOOL.exe WORK-FOLDER [args...]}
trust=${2:?missing the trust tool}
work=${3:?missing the work folder}
shift 3

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/mirror.sh"
base=${WININET_TEST_PORT_BASE:-18400}
nginx_port=$((base + 5))
pki=$work/pki
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The tests talk to 127.0.0.1 only: no proxy of the caller's may get between.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY

server_pid=
cleanup() {
    mirror_cleanup
    [[ -n $server_pid ]] && kill "$server_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

mkdir -p "$work"
"$here/../support/make-test-pki.sh" "$pki" >"$work/pki.log" 2>&1

# The server runs until its standard input closes (or it is killed).
rm -f "$work/ports.json"
python3 "$here/wininet_test_server.py" --script "$here/../transfer-e2e/test_server.py" \
    --pki "$pki" --base-port "$base" >"$work/ports.json" 2>"$work/server.log" < <(sleep 600) &
server_pid=$!

mirror_write_conf "$work/nginx" "$nginx_port" "$pki/www" "$pki/server.pem" "$pki/server.key"
mirror_start "$work/nginx" "$nginx_port"
for _ in $(seq 100); do
    [[ -s $work/ports.json ]] && break
    sleep 0.1
done
if ! [[ -s $work/ports.json ]]; then
    echo "the scripted test server did not come up:" >&2
    cat "$work/server.log" >&2
    exit 1
fi

mirror_trust "$trust" "$pki/ca.pem" "$work"

# wine's output goes to a file: through a pipe every start costs seconds.
status=0
WININET_TEST_PORT_BASE=$base WININET_TEST_NGINX_PORT=$nginx_port \
    WININET_TEST_WWW="$(mirror_windows_path "$pki/www")" \
    wine "$tests" "$@" >"$work/tests.log" 2>&1 || status=$?
cat "$work/tests.log"
exit "$status"
