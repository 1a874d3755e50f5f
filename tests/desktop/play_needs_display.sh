#!/usr/bin/env bash
# play.sh without a display must say so before it installs or builds
# anything. cmake, apt-get and sudo are shadowed by stand-ins that fail and
# leave a mark, so a check that comes too late shows up at once.
#   play_needs_display.sh SOURCE_DIR
set -uo pipefail

source_dir="$1"
fake="$(mktemp -d)"
trap 'rm -rf "$fake"' EXIT
for tool in cmake apt-get sudo; do
    printf '#!/bin/sh\ntouch "%s/ran-%s"\nexit 99\n' "$fake" "$tool" >"$fake/$tool"
    chmod +x "$fake/$tool"
done

output="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$fake:$PATH" \
    bash "$source_dir/scripts/play.sh" 2>&1)"
status=$?
printf '%s\n' "$output"
fail=0
if ((status != 1)); then
    echo "FAIL: exit code $status, expected 1"
    fail=1
fi
if [[ "$output" != "quozzolo: manca lo schermo"* ]]; then
    echo "FAIL: the first line does not say that the display is missing"
    fail=1
fi
if compgen -G "$fake/ran-*" >/dev/null; then
    echo "FAIL: it went on to run: $(cd "$fake" && ls ran-*)"
    fail=1
fi
((fail == 0)) && echo "PASS"
exit "$fail"
