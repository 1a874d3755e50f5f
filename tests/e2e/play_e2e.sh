#!/usr/bin/env bash
# shellcheck disable=SC2317  # the functions are called through poll
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

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/session.sh"
e2e_arguments "$@"
for tool in import convert; do
    command -v "$tool" >/dev/null 2>&1 ||
        skip "$tool is missing (bash scripts/test.sh installs the desktop test packages)"
done
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
e2e_session "$outdir" e2e
registry_ready() {
    timeout 5 "$python" -c 'import pyatspi; pyatspi.Registry.getDesktop(0).childCount' >/dev/null 2>&1
}
poll registry_ready || skip "the accessibility registry does not answer"

echo "e2e: Xvfb on $DISPLAY, session bus $DBUS_SESSION_BUS_ADDRESS, accessibility bus up"
status=0
"$python" "$here/play_e2e.py" "$game" "$outdir" "$work/play" || status=$?
exit "$status"
