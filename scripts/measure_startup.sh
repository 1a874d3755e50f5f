#!/usr/bin/env bash
# Measures the real game (Release build) under Xvfb:
#   - start-up: from launch until its first window, the name box, is visible,
#     against a bare Qt program that shows the same box and nothing else,
#     started the same way, the two taking turns so both see the same load;
#   - from Return on the greeting box until the main window is visible (the
#     record files are created and the window is built in between);
#   - peak memory: the maximum resident set size of a whole short game
#     (name, greeting, main window, goodbye), from /usr/bin/time -v.
# Each run uses a fresh, empty record directory.
#
#   bash scripts/measure_startup.sh [RUNS]      (default 5)
set -euo pipefail

runs="${1:-5}"
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [RUNS]" >&2
    exit 2
fi

if [[ -z "${QUOZZOLO_MEASURE_UNDER_XVFB:-}" ]]; then
    source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
    quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}" "${QUOZZOLO_DESKTOP_TEST_PACKAGES[@]}" time
    quozzolo_build build-release Release -DBUILD_TESTING=OFF
    export QUOZZOLO_MEASURE_UNDER_XVFB=1 QUOZZOLO_GAME="$QUOZZOLO_ROOT/build-release/src/app/quozzolo"
    # -noreset: by default Xvfb resets itself whenever its last client
    # leaves, between two starts here, and refuses clients meanwhile.
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"
fi

game="$QUOZZOLO_GAME"
work="$(mktemp -d)"
time_pid=""
bare_pid=""
cleanup() {
    local pid
    for pid in "$time_pid" "$bare_pid"; do
        if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# xdotool's own --sync polls only every half second: too coarse to time a
# start-up, so this polls every few milliseconds instead. Prints the window id.
wait_window() {
    local pattern="$1" deadline=$((SECONDS + 30)) found
    while ((SECONDS < deadline)); do
        if found="$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null)"; then
            head -n 1 <<<"$found"
            return 0
        fi
        kill -0 "$time_pid" 2>/dev/null || return 3
        sleep 0.005
    done
    echo "measure: no window /$pattern/ within 30s" >&2
    exit 1
}

# Should Xvfb still refuse a new client (it did, about 1 start in 15, while
# it reset itself between starts), the start is made again, and counted.
ended_early() {
    echo "measure: the game ended early" >&2
    exit 1
}

refused=0
# After a start that ended before its window: counts it when the display
# refused it and it may be made again, else gives up.
refused_or_fail() {
    local attempt="$1" log="$2" what="$3"
    if ((attempt == 3)) || ! grep -q "could not connect to display\|non riesco ad aprire lo schermo" "$log"; then
        echo "measure: $what ended early" >&2
        cat "$log" >&2
        exit 1
    fi
    refused=$((refused + 1))
}

focus() {
    timeout 5 xdotool windowfocus --sync "$1"
}

# The yardstick: the least a Qt Widgets program does to ask the same question.
cat >"$work/bare.cpp" <<'CPP'
#include <QApplication>
#include <QInputDialog>
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QInputDialog::getText(nullptr, QStringLiteral("Finestra Qt"), QStringLiteral("Come ti chiami?"));
    return 0;
}
CPP
# shellcheck disable=SC2046  # pkg-config's flags are meant to split
g++ -O2 -std=c++17 -fPIC -o "$work/bare" "$work/bare.cpp" $(pkg-config --cflags --libs Qt6Widgets)

# Milliseconds from launch until the bare program's box is visible.
bare_window() {
    local data="$1" start shown
    start=$(now_ms)
    HOME="$data/home" XDG_DATA_HOME="$data/data" XDG_RUNTIME_DIR="$data/runtime" QT_QPA_PLATFORM=xcb \
        "$work/bare" >"$data/bare.log" 2>&1 &
    bare_pid=$!
    time_pid=$bare_pid
    wait_window '^Finestra Qt$' >/dev/null || return 3
    shown=$(($(now_ms) - start))
    kill "$bare_pid"
    wait "$bare_pid" 2>/dev/null || true
    bare_pid=""
    time_pid=""
    echo "$shown"
}

measure_bare() {
    local attempt
    for attempt in 1 2 3; do
        if bare=$(bare_window "$data"); then
            return 0
        fi
        refused_or_fail "$attempt" "$data/bare.log" "the bare Qt program"
    done
}

echo "run  first-window-ms  bare-window-ms  greeting-to-main-ms  max-rss-KiB"
results="$work/results"
: >"$results"
for ((run = 1; run <= runs; run++)); do
    data="$work/run$run"
    mkdir -p "$data/home" "$data/data" "$data/runtime"
    chmod 700 "$data/runtime"

    # Odd runs start the bare box first, even runs after the game.
    if ((run % 2)); then
        measure_bare
    fi
    for attempt in 1 2 3; do
        start=$(now_ms)
        HOME="$data/home" XDG_DATA_HOME="$data/data" XDG_RUNTIME_DIR="$data/runtime" QT_QPA_PLATFORM=xcb \
            /usr/bin/time -v -o "$data/time.txt" "$game" >"$data/game.log" 2>&1 &
        time_pid=$!
        if window="$(wait_window '^Gioca con le Quozzolo$')"; then
            break
        fi
        wait "$time_pid" || true
        time_pid=""
        refused_or_fail "$attempt" "$data/game.log" "the game"
    done
    first=$(($(now_ms) - start))

    focus "$window"
    xdotool type --delay 10 Misura
    xdotool key Return
    window="$(wait_window '^Sei pronto per il record\? Buona fortuna$')" || ended_early
    focus "$window"
    before=$(now_ms)
    xdotool key Return
    main="$(wait_window '^ Giochiamo con le Quozzolo$')" || ended_early
    to_main=$(($(now_ms) - before))

    focus "$main"
    xdotool key alt+x
    window="$(wait_window '^Data ')" || ended_early
    focus "$window"
    xdotool key Return
    status=0
    wait "$time_pid" || status=$?
    time_pid=""
    if ((status != 0)); then
        echo "measure: run $run: the game exited with status $status" >&2
        cat "$data/game.log" >&2
        exit 1
    fi
    if ((run % 2 == 0)); then
        measure_bare
    fi
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$data/time.txt")
    printf '%3d  %15d  %14d  %19d  %11d\n' "$run" "$first" "$bare" "$to_main" "$rss"
    echo "$first $to_main $rss $bare" >>"$results"
done

summary() {
    sort -n | awk '{ v[NR] = $1 } END { printf "min %d, median %d, max %d", v[1], v[int((NR + 1) / 2)], v[NR] }'
}
echo
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
echo "first window (ms):           $(cut -d' ' -f1 "$results" | summary)"
echo "bare Qt box (ms):            $(cut -d' ' -f4 "$results" | summary)"
awk -v game="$(cut -d' ' -f1 "$results" | median)" -v bare="$(cut -d' ' -f4 "$results" | median)" \
    'BEGIN { printf "first window / bare Qt box:  %.2fx (medians)\n", game / bare }'
echo "greeting to main window (ms): $(cut -d' ' -f2 "$results" | summary)"
echo "peak RSS (KiB):              $(cut -d' ' -f3 "$results" | summary)"
echo "starts made again after Xvfb refused them: $refused"
