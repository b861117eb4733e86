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
source "$here/../support/mirror.sh"
bench=$build/tests/win32/wininet_benchmark.exe
trust=$build/tests/win32/wininet_trust_test_authority.exe
work=$build/tests/win32/wininet-bench
port=${WININET_BENCH_PORT:-18450}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

mkdir -p "$work"
"$here/../support/make-test-pki.sh" "$work/pki" >"$work/pki.log" 2>&1
# Random bytes, so that nothing on the way can make the transfer cheap.
head -c $((64 * 1024 * 1024)) /dev/urandom >"$work/pki/www/bench.bin"
mirror_write_conf "$work/nginx" "$port" "$work/pki/www" "$work/pki/server.pem" \
    "$work/pki/server.key"
trap mirror_cleanup EXIT
mirror_start "$work/nginx" "$port"
mirror_trust "$trust" "$work/pki/ca.pem" "$work"

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
