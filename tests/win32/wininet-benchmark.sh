#!/usr/bin/env bash
# Throughput of a 64 MiB download over HTTPS from a local nginx: curl against
# the WinINet transfer component under wine, three runs each, medians
# printed (not asserted). The test authority is trusted by the wine prefix
# for the length of the run only, as in run-wininet-tests.sh.
#
# usage: wininet-benchmark.sh BUILD-FOLDER   (a Windows build; WINEPREFIX as for the tests)
set -euo pipefail

build=$(realpath "${1:?usage: wininet-benchmark.sh BUILD-FOLDER}")
here=$(cd "$(dirname "$0")" && pwd)
bench=$build/tests/win32/wininet_benchmark.exe
trust=$build/tests/win32/wininet_trust_test_authority.exe
work=$build/tests/win32/wininet-bench
port=${WININET_BENCH_PORT:-18450}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

nginx_pid=
trusted=
cleanup() {
    [[ -n $trusted ]] && wine "$trust" remove "Z:$work/pki/ca.pem" >"$work/untrust.log" 2>&1
    [[ -n $nginx_pid ]] && kill "$nginx_pid" 2>/dev/null
    wait 2>/dev/null || true
}
trap cleanup EXIT

mkdir -p "$work/nginx"
"$here/../transfer-e2e/make-test-pki.sh" "$work/pki" >"$work/pki.log" 2>&1
# Random bytes, so that nothing on the way can make the transfer cheap.
head -c $((64 * 1024 * 1024)) /dev/urandom >"$work/pki/www/bench.bin"
"$here/../support/write-nginx-conf.sh" "$work/nginx" "$port" "$work/pki/www" \
    "$work/pki/server.pem" "$work/pki/server.key"
nginx -p "$work/nginx" -e "$work/nginx/error.log" -c "$work/nginx/nginx.conf" &
nginx_pid=$!
for _ in $(seq 50); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done
wine "$trust" add "Z:$work/pki/ca.pem" >"$work/trust.log" 2>&1
trusted=yes

url=https://localhost:$port/bench.bin
size=$(stat -c %s "$work/pki/www/bench.bin")
median() { sort -g | sed -n 2p; }
curl_rates=$(for _ in 1 2 3; do
    curl -s --cacert "$work/pki/ca.pem" -o /dev/null -w '%{speed_download}\n' "$url" |
        awk '{ printf "%.1f\n", $1 / 1e6 }'
done)
ours_rates=$(for _ in 1 2 3; do
    wine "$bench" "$url" >"$work/run.log" 2>&1
    tr -d '\r' <"$work/run.log" | awk -v size="$size" \
        '$1 == size { printf "%.1f\n", $1 / $2 / 1e6; ok = 1 } END { if (!ok) exit 1 }'
done)
curl_median=$(median <<<"$curl_rates")
ours_median=$(median <<<"$ours_rates")
echo "curl:              $(echo $curl_rates) MB/s (median $curl_median)"
echo "WinINet under wine: $(echo $ours_rates) MB/s (median $ours_median)"
awk -v a="$ours_median" -v b="$curl_median" 'BEGIN { printf "ratio to curl: %.2f\n", a / b }'
