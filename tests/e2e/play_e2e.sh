#!/usr/bin/env bash
# shellcheck disable=SC2317  # the functions are called through trap and poll
# End-to-end test: plays the real game under a virtual X server of its own,
# typing real X key events, and reads the game as a screen reader does.
#
#   play_e2e.sh GAME OUTPUT_DIR
#
# GAME is the quozzolo executable. This script starts Xvfb, a private D-Bus
# session bus and the accessibility bus on it, then hands over to
# play_e2e.py, which plays six games and checks verdicts, counts, boxes and
# record files. OUTPUT_DIR receives e2e_window.png (the window after a
# verdict), e2e_record.png (a game that starts with a stored record),
# e2e_atspi_tree.txt (the main window's accessibility tree after a verdict),
# each game's output and, on a failure, e2e_failure.png.
#
# Exit status: 0 passed, 1 failed, 77 skipped: Xvfb, xdotool, the D-Bus or
# accessibility bus, pyatspi or libfaketime is missing or does not start. bash
# scripts/test.sh installs all of them, so CI never skips.
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 GAME OUTPUT_DIR" >&2
    exit 2
fi
game="$1"
outdir="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
startup_timeout=10   # seconds for each of Xvfb and the two buses to come up

skip() {
    echo "e2e: SKIP: $*" >&2
    exit 77
}

if [[ ! -x "$game" ]]; then
    echo "e2e: FAIL: no game executable at $game" >&2
    exit 1
fi
for tool in Xvfb xdotool import convert dbus-daemon dbus-send; do
    command -v "$tool" >/dev/null 2>&1 ||
        skip "$tool is missing (bash scripts/test.sh installs the desktop test packages)"
done
[[ -x "$launcher" ]] || skip "$launcher is missing (Debian package at-spi2-core)"
# Debian's own python3 first: pyatspi is a Debian package, not a pip one.
python=""
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import pyatspi' >/dev/null 2>&1; then
        python="$candidate"
        break
    fi
done
[[ -n "$python" ]] || skip "no python3 with pyatspi (Debian packages python3-pyatspi, gir1.2-atspi-2.0)"

mkdir -p "$outdir"
rm -f "$outdir"/e2e_failure.png "$outdir"/e2e_failure_tree.txt
work="$(mktemp -d)"
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The buses put their sockets under these: nothing is shared with the caller.
mkdir -m 700 "$work/home" "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
unset DISPLAY WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS

# Polls command "$@" every 50 ms until it succeeds; false after the timeout
# or at once when the command gives 2 (it can no longer succeed).
poll() {
    local deadline=$((SECONDS + startup_timeout)) status
    while true; do
        status=0
        "$@" || status=$?
        ((status == 0)) && return 0
        ((status != 2 && SECONDS < deadline)) || return 1
        sleep 0.05
    done
}

# Xvfb picks a free display itself and writes its number once it accepts
# clients, so two runs at once do not collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$outdir/e2e_xvfb.log" &
pids+=($!)
xvfb_ready() {
    kill -0 "${pids[0]}" 2>/dev/null || return 2
    [[ -s "$work/display" ]]
}
poll xvfb_ready || skip "Xvfb did not start (see $outdir/e2e_xvfb.log)"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

if ! bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$outdir/e2e_dbus.log")"; then
    skip "no D-Bus session bus (see $outdir/e2e_dbus.log)"
fi
DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")"
export DBUS_SESSION_BUS_ADDRESS
pids+=("$(sed -n 2p <<<"$bus")")

# The launcher starts the accessibility bus and registers it on the session
# bus, where both Qt's bridge and pyatspi look for it.
"$launcher" --launch-immediately >"$outdir/e2e_atspi.log" 2>&1 &
pids+=($!)
a11y_bus_ready() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
}
poll a11y_bus_ready || skip "the accessibility bus did not start (see $outdir/e2e_atspi.log)"
registry_ready() {
    timeout 5 "$python" -c 'import pyatspi; pyatspi.Registry.getDesktop(0).childCount' >/dev/null 2>&1
}
poll registry_ready || skip "the accessibility registry does not answer"

echo "e2e: Xvfb on $DISPLAY, session bus $DBUS_SESSION_BUS_ADDRESS, accessibility bus up"
status=0
"$python" "$here/play_e2e.py" "$game" "$outdir" "$work/play" || status=$?
exit "$status"
