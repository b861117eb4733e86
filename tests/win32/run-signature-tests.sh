#!/usr/bin/env bash
# Runs the signature check's tests under wine on installers signed here on
# the Linux side (osslsigncode is a Linux program), with the test authority in
# the current user's root store of the wine prefix for the length of the run.
#
# usage: run-signature-tests.sh TESTS.exe TRUST-TOOL.exe WORK-FOLDER [test arguments...]
set -euo pipefail

tests=${1:?usage: run-signature-tests.sh TESTS.exe TRUST-TOOL.exe WORK-FOLDER [args...]}
trust=${2:?missing the trust tool}
work=${3:?missing the work folder}
shift 3

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/mirror.sh"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
trap mirror_cleanup EXIT

mkdir -p "$work"
"$here/../support/make-test-pki.sh" --server-only "$work/pki" >"$work/pki.log" 2>&1
"$here/../support/make-signed-installers.sh" "$work/pki" "$work/signed" >>"$work/pki.log" 2>&1
mirror_trust "$trust" "$work/pki/ca.pem" "$work"

status=0
QUIBRANT_SIGNED_INSTALLERS="$(mirror_windows_path "$work/signed")" \
    wine "$tests" "$@" >"$work/tests.log" 2>&1 || status=$?
cat "$work/tests.log"
exit "$status"
