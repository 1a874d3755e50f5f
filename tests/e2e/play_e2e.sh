#!/usr/bin/env bash
# End-to-end test: plays the real game under a virtual X server, typing as a
# player would, and checks the record files it leaves behind.
#
#   play_e2e.sh GAME OUTPUT_DIR
#
# GAME is the quozzolo executable; OUTPUT_DIR receives a screenshot of the
# window (e2e_window.png), the game's own output of each run and, when a step
# fails, a screenshot of that moment (e2e_failure.png); e2e_record.png shows
# the window of a game that starts with a stored record.
#
# It starts its own Xvfb through xvfb-run, so it needs no display. There is
# no window manager there: nothing gives a window the keyboard focus when a
# box closes, so every step focuses its window itself before typing.
#
# Four games share one fresh data directory:
#   1. Anna answers 0 (no quotient is ever 0): no record, the files stay empty.
#   2. Anna answers 5 until one is right ("E' record" shows as the next
#      problem is posed): leaving saves "1" and "Anna".
#   3. Bruno leaves at once: no record box, the files keep Anna's record.
#   4. Carla answers 5 until "E' record" shows: with the stored best read back
#      as 1 that takes two right answers, so leaving saves "2" and "Carla".
set -euo pipefail

if (($# != 2)); then
    echo "usage: $0 GAME OUTPUT_DIR" >&2
    exit 2
fi
game="$1"
outdir="$2"

for tool in xvfb-run xauth xdotool import convert timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "e2e: $tool is missing: bash scripts/test.sh installs xvfb, xauth, xdotool and imagemagick" >&2
        exit 1
    fi
done
if [[ ! -x "$game" ]]; then
    echo "e2e: no game executable at $game" >&2
    exit 1
fi
mkdir -p "$outdir"

if [[ -z "${QUOZZOLO_E2E_UNDER_XVFB:-}" ]]; then
    export QUOZZOLO_E2E_UNDER_XVFB=1
    exec xvfb-run -a -e "$outdir/e2e_xvfb.log" -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

# ---------------------------------------------------------------- helpers --

window_timeout=20   # seconds to wait for a window to show
exit_timeout=15     # seconds to wait for the game to end
game_pid=""
game_number=0
work="$(mktemp -d)"

cleanup() {
    if [[ -n "$game_pid" ]] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "e2e: FAIL (game $game_number): $*" >&2
    import -window root "$outdir/e2e_failure.png" 2>/dev/null &&
        echo "e2e: screenshot of the screen at the failure: $outdir/e2e_failure.png" >&2
    if [[ -s "$outdir/e2e_game$game_number.log" ]]; then
        echo "e2e: the game's output:" >&2
        sed 's/^/    /' "$outdir/e2e_game$game_number.log" >&2
    fi
    exit 1
}

step() {
    echo "e2e: game $game_number: $*"
}

mkdir -p "$work/home" "$work/data" "$work/config" "$work/cache" "$work/runtime"
chmod 700 "$work/runtime"
records="$work/data/quozzolo"

start_game() {
    game_number=$((game_number + 1))
    step "starting"
    HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
        XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
        "$game" >"$outdir/e2e_game$game_number.log" 2>&1 &
    game_pid=$!
}

# Prints the id of the game's visible window whose title matches the
# extended regular expression $1; fails after window_timeout seconds.
wait_window() {
    local pattern="$1" what="$2" deadline=$((SECONDS + window_timeout)) found
    while ((SECONDS < deadline)); do
        if ! kill -0 "$game_pid" 2>/dev/null; then
            fail "the game ended while waiting for $what"
        fi
        if found="$(timeout 1 xdotool search --sync --all --onlyvisible --pid "$game_pid" --name "$pattern" 2>/dev/null)"; then
            head -n 1 <<<"$found"
            return 0
        fi
    done
    fail "no $what (a window titled /$pattern/) within ${window_timeout}s"
}

# Gives the keyboard focus to window $1 and checks that it has it.
focus() {
    local window="$1" _
    for _ in 1 2 3 4 5; do
        timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || true
        if [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]]; then
            return 0
        fi
        sleep 0.2
    done
    fail "window $window ($(xdotool getwindowname "$window" 2>/dev/null)) does not take the keyboard focus"
}

type_text() {
    xdotool type --delay 20 -- "$1"
}

key() {
    xdotool key "$@"
}

# Fails unless a box titled "Quozzolo" (the game's own notices) is absent.
expect_no_notice() {
    if xdotool search --all --onlyvisible --pid "$game_pid" --name '^Quozzolo$' >/dev/null 2>&1; then
        fail "an unexpected box titled \"Quozzolo\" is showing ($1)"
    fi
}

# Waits for the game to end by itself and checks its exit status is 0.
expect_exit() {
    local deadline=$((SECONDS + exit_timeout)) status=0
    while kill -0 "$game_pid" 2>/dev/null; do
        if ((SECONDS >= deadline)); then
            fail "the game is still running ${exit_timeout}s after $1"
        fi
        expect_no_notice "after $1"
        sleep 0.2
    done
    wait "$game_pid" || status=$?
    game_pid=""
    ((status == 0)) || fail "the game exited with status $status"
    step "ended with status 0"
}

# The first games: starts, types the name and confirms the greeting; prints
# the id of the main window once it shows.
open_game() {
    local name="$1" window
    start_game
    window="$(wait_window '^Gioca con le Quozzolo$' 'name box "Come ti chiami?"')"
    focus "$window"
    type_text "$name"
    key Return
    window="$(wait_window '^Sei pronto per il record\? Buona fortuna$' 'greeting box')"
    focus "$window"
    key Return
    window="$(wait_window '^ Giochiamo con le Quozzolo$' 'main window')"
    focus "$window"
    step "main window shows, $name plays"
    echo "$window" >"$work/main_window"
}

# Alt+X on the main window, then Return on the goodbye box ("Data ...").
leave_game() {
    local main="$1" window
    focus "$main"
    key alt+x
    window="$(wait_window '^Data ' 'goodbye box')"
    focus "$window"
    key Return
}

# Answers $1 to problem after problem until the "E' record" notice shows as
# the next problem is posed; closes it. At most $2 problems.
answer_until_record_notice() {
    local answer="$1" limit="$2" main="$3" tries notice
    for ((tries = 1; tries <= limit; tries++)); do
        focus "$main"
        type_text "$answer"
        key Return   # judges the answer
        key Return   # poses the next problem
        if notice="$(timeout 1 xdotool search --sync --all --onlyvisible --pid "$game_pid" --name '^Quozzolo$' 2>/dev/null)"; then
            step "\"E' record\" shows after $tries problems"
            notice="$(head -n 1 <<<"$notice")"
            focus "$notice"
            key Return
            return 0
        fi
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended while answering"
    done
    fail "no \"E' record\" notice after $limit problems answered $answer"
}

# Checks that file $1 holds exactly the bytes of $2, backslash escapes (\r,
# \n) read as printf %b reads them.
expect_file() {
    local path="$1" expected="$2"
    [[ -f "$path" ]] || fail "$path is missing"
    if ! cmp -s "$path" <(printf %b "$expected"); then
        fail "$(basename "$path") holds $(od -An -c "$path" | tr -s ' ') rather than $(printf %b "$expected" | od -An -c | tr -s ' ')"
    fi
}

# The record directory holds the two files and nothing else (no leftovers
# of a replaced file).
expect_only_record_files() {
    local listing
    listing="$(find "$records" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')"
    [[ "$listing" == "nquozrec.txt quozrec.txt " ]] || fail "the record directory holds: $listing"
}

expect_records() {
    expect_file "$records/quozrec.txt" "$1"
    expect_file "$records/nquozrec.txt" "$2"
    expect_only_record_files
    step "record files hold [$(printf %b "$1" | od -An -c | tr -s ' ')] and [$(printf %b "$2" | od -An -c | tr -s ' ')]"
}

# ------------------------------------------------------------------ games --

# Leaves a game whose record was beaten: goodbye, then the record box.
leave_with_record() {
    leave_game "$1"
    local window
    window="$(wait_window '^Quozzolo$' 'box "Ok ho registrato il tuo record, C A M P I O N E"')"
    focus "$window"
    key Return
    expect_exit "the record box closed"
}

# 1. A wrong answer: the record files are made empty and stay so.
open_game Anna
main="$(cat "$work/main_window")"
expect_records '' ''
type_text 0
key Return
sleep 1
import -window root "$outdir/e2e_window.png"
# The window is painted: its area of the screenshot is not one flat colour.
eval "$(xdotool getwindowgeometry --shell "$main")"
((WIDTH >= 792 && HEIGHT >= 554)) || fail "the main window is only ${WIDTH}x${HEIGHT}"
spread="$(convert "$outdir/e2e_window.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" -colorspace Gray \
    -format '%[fx:standard_deviation]' info:)"
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "the window looks blank (grey spread $spread)"
step "screenshot: $outdir/e2e_window.png"
leave_game "$main"
expect_exit "the goodbye box closed"
expect_records '' ''

# 2. A right answer beats the empty record.
open_game Anna
main="$(cat "$work/main_window")"
answer_until_record_notice 5 200 "$main"
leave_with_record "$main"
expect_records '1\r\n' 'Anna\r\n'

# 3. Leaving at once beats nothing: the stored record stays as it is.
open_game Bruno
main="$(cat "$work/main_window")"
expect_no_notice "as the game starts"
sleep 1
import -window root "$outdir/e2e_record.png"
step "screenshot: $outdir/e2e_record.png"
leave_game "$main"
expect_exit "the goodbye box closed"
expect_records '1\r\n' 'Anna\r\n'

# 4. The stored best is read back: "E' record" waits for a second right answer.
open_game Carla
main="$(cat "$work/main_window")"
answer_until_record_notice 5 300 "$main"
leave_with_record "$main"
expect_records '2\r\n' 'Carla\r\n'

echo "e2e: all four games played as expected"
