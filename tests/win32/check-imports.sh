#!/usr/bin/env bash
# Fails when the program imports, to be loaded as it starts, a DLL that is
# not one of Windows' known DLLs: at start-up such a DLL is looked for beside
# the program first, so one planted in a Downloads folder would run inside it.
# Those DLLs must be loaded on first use, after the program has restricted the
# search to the system folder.
#
#   check-imports.sh OBJDUMP PROGRAM
set -euo pipefail

objdump=$1 program=$2
not_at_start="wininet.dll msimg32.dll"

dump=$("$objdump" -p "$program")
# Only the table the loader reads at start-up.
imports=$(printf '%s\n' "$dump" |
    sed -n '/^The Import Tables/,/^The /p' |
    sed -n 's/^[[:space:]]*DLL Name: *//p' | tr 'A-Z' 'a-z' | tr -d '\r')
echo "imported at start-up: $(echo $imports)"
if ! grep -qx kernel32.dll <<< "$imports"; then
    echo "no import table read from $program" >&2
    exit 1
fi
status=0
for dll in $not_at_start; do
    if grep -qx "$dll" <<< "$imports"; then
        echo "$program imports $dll at start-up" >&2
        status=1
    fi
done
exit $status
