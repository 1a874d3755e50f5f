# shellcheck shell=bash disable=SC2317  # the functions are called through trap and poll
# A desktop session of the end-to-end tests' own: a virtual X server, a
# private D-Bus session bus and the accessibility bus on it, in a temporary
# folder that is removed on exit. Source it, then call
#
#   e2e_session OUTPUT_DIR LOG_PREFIX
#
# (an empty OUTPUT_DIR keeps the session's logs in the temporary folder)
# which exports DISPLAY, DBUS_SESSION_BUS_ADDRESS, HOME and XDG_RUNTIME_DIR,
# sets $work to the temporary folder and exits 77 (skip) when a part of the
# session is missing or does not start. Processes added to the array pids
# are ended on exit, last first.

launcher=/usr/libexec/at-spi-bus-launcher
startup_timeout=10   # seconds for each of Xvfb and the two buses to come up

skip() {
    echo "e2e: SKIP: $*" >&2
    exit 77
}

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

# Reads the arguments GAME OUTPUT_DIR of an end-to-end script into $game
# and $outdir.
e2e_arguments() {
    if (($# != 2)); then
        echo "usage: $0 GAME OUTPUT_DIR" >&2
        exit 2
    fi
    game="$1"
    outdir="$2"
    if [[ ! -x "$game" ]]; then
        echo "e2e: FAIL: no game executable at $game" >&2
        exit 1
    fi
}

e2e_session() {
    local outdir="$1" prefix="$2" tool
    for tool in Xvfb xdotool dbus-daemon dbus-send; do
        command -v "$tool" >/dev/null 2>&1 ||
            skip "$tool is missing (bash scripts/test.sh installs the desktop test packages)"
    done
    [[ -x "$launcher" ]] || skip "$launcher is missing (Debian package at-spi2-core)"

    work="$(mktemp -d)"
    pids=()
    trap e2e_cleanup EXIT
    [[ -n "$outdir" ]] || outdir="$work"
    # The buses put their sockets under these: nothing is shared with the caller.
    mkdir -m 700 "$work/home" "$work/runtime"
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
    unset DISPLAY WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS

    # Xvfb picks a free display itself and writes its number once it accepts
    # clients, so two runs at once do not collide.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$outdir/${prefix}_xvfb.log" &
    pids+=($!)
    xvfb_ready() {
        kill -0 "${pids[0]}" 2>/dev/null || return 2
        [[ -s "$work/display" ]]
    }
    poll xvfb_ready || skip "Xvfb did not start (see $outdir/${prefix}_xvfb.log)"
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY

    local bus
    if ! bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$outdir/${prefix}_dbus.log")"; then
        skip "no D-Bus session bus (see $outdir/${prefix}_dbus.log)"
    fi
    DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")"
    export DBUS_SESSION_BUS_ADDRESS
    pids+=("$(sed -n 2p <<<"$bus")")

    # The launcher starts the accessibility bus and registers it on the
    # session bus, where Qt's bridge and the screen reader look for it.
    "$launcher" --launch-immediately >"$outdir/${prefix}_atspi.log" 2>&1 &
    pids+=($!)
    a11y_bus_ready() {
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1
    }
    poll a11y_bus_ready || skip "the accessibility bus did not start (see $outdir/${prefix}_atspi.log)"
}

e2e_cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
