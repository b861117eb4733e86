#!/usr/bin/env bash
# Throughput of a 64 MiB download over HTTPS from a local nginx: the WinINet
# transfer component against a bare WinINet read loop in the same run, in
# interleaved pairs under wine pinned to one CPU (WININET_BENCH_PAIRS, 5 by
# default), with curl for scale; medians printed, not asserted. The test authority is trusted by the wine prefix
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
pairs=${WININET_BENCH_PAIRS:-5}
median() { grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# MB/s of one run of the benchmark program in MODE, under wine on one CPU so
# that wine's scheduling of its own threads does not decide the figure.
rate() {
    taskset -c 0 wine "$bench" "$1" "$url" >"$work/run.log" 2>&1
    tr -d '\r' <"$work/run.log" | awk -v size="$size" \
        '$1 == size { printf "%.1f\n", $1 / $2 / 1e6; ok = 1 } END { if (!ok) exit 1 }'
}
curl_rates=$(for _ in 1 2 3; do
    curl -s --cacert "$work/pki/ca.pem" -o /dev/null -w '%{speed_download}\n' "$url" |
        awk '{ printf "%.1f\n", $1 / 1e6 }'
done)
# Interleaved pairs: both sides see the same moments of a shared machine.
bare_rates=
ours_rates=
ratios=
for _ in $(seq "$pairs"); do
    bare=$(rate bare)
    ours=$(rate component)
    bare_rates+="$bare"$'\n'
    ours_rates+="$ours"$'\n'
    ratios+=$(awk -v a="$ours" -v b="$bare" 'BEGIN { printf "%.3f", a / b }')$'\n'
done
echo "curl:                      $(echo $curl_rates) MB/s (median $(median <<<"$curl_rates"))"
echo "bare WinINet loop (wine):  $(echo $bare_rates) MB/s (median $(median <<<"$bare_rates"))"
echo "transfer component (wine): $(echo $ours_rates) MB/s (median $(median <<<"$ours_rates"))"
echo "component / bare loop, pair by pair: $(echo $ratios) (median $(median <<<"$ratios"))"
