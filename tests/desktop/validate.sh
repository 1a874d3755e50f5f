#!/usr/bin/env bash
# Checks the configured desktop entry or metainfo with the desktop's own
# validators. Exit 77 (skip) when the validator is not installed.
#   validate.sh entry FILE      desktop-file-validate: must say nothing at all
#   validate.sh metainfo FILE   appstreamcli validate --no-net: must pass, no warnings
set -uo pipefail

kind="$1" file="$2"
case "$kind" in
    entry) command=(desktop-file-validate "$file") ;;
    metainfo) command=(appstreamcli validate --no-net "$file") ;;
    *) echo "unknown kind: $kind" >&2; exit 2 ;;
esac
if ! command -v "${command[0]}" >/dev/null 2>&1; then
    echo "SKIP: ${command[0]} is not installed"
    exit 77
fi
[[ -f "$file" ]] || { echo "FAIL: no such file: $file"; exit 1; }

output="$("${command[@]}" 2>&1)"
status=$?
printf '%s\n' "$output"
if ((status != 0)); then
    echo "FAIL: ${command[0]} exited with $status"
    exit 1
fi
case "$kind" in
    entry)
        if [[ -n "$output" ]]; then
            echo "FAIL: desktop-file-validate had something to say"
            exit 1
        fi
        ;;
    metainfo)
        # Infos and pedantic notes are fine; errors and warnings are not.
        if grep -Eq '^[EW]: ' <<<"$output"; then
            echo "FAIL: appstreamcli reported errors or warnings"
            exit 1
        fi
        ;;
esac
echo "PASS: $file"
