#!/usr/bin/env bash
# Checks on the probe that an optimised build calls glibc's fortified read
# and has the stack protector, which lintian does not see in the game.
#   hardened.sh PROBE [optimised]
set -euo pipefail

if [[ "${2:-}" != optimised ]]; then
    echo "SKIP: only optimised builds are hardened"
    exit 77
fi
if ! command -v readelf >/dev/null 2>&1; then
    echo "SKIP: readelf is not installed"
    exit 77
fi
symbols="$(readelf --dyn-syms -W "$1")"
fail=0
for symbol in __read_chk __stack_chk_fail; do
    if ! grep -q " $symbol@" <<<"$symbols"; then
        echo "FAIL: $(basename "$1") does not call $symbol"
        fail=1
    fi
done
((fail == 0)) && echo "PASS: fortified, with the stack protector"
exit "$fail"
