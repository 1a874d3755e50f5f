#!/usr/bin/env bash
# shellcheck disable=SC2317  # the functions are called through poll
# End-to-end test by ear: the real game played under Orca, Debian's screen
# reader, checked on what Orca says, as a blind player would hear it.
#
#   listen_e2e.sh GAME OUTPUT_DIR
#
# GAME is the quozzolo executable. This script starts a session of its own
# (session.sh), speech-dispatcher with its sound going to ALSA's null device,
# and Orca with its debug log on OUTPUT_DIR/listen_orca.log, then hands over
# to listen_e2e.py, which plays and reads Orca's "SPEECH OUTPUT" lines.
#
# Exit status: 0 passed, 1 failed, 77 skipped: a part of the session, Orca,
# speech-dispatcher or libfaketime is missing, or Orca does not start (it
# refuses to run beside another Orca of the same user). bash scripts/test.sh
# installs all of them, so CI never skips for want of a package.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/session.sh"
e2e_arguments "$@"
for tool in orca speech-dispatcher; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (Debian packages orca, speech-dispatcher)"
done
faketime_library="$(compgen -G '/usr/lib/*/faketime/libfaketime.so.1' | head -n 1 || true)"
[[ -n "$faketime_library" ]] || skip "libfaketime is missing (Debian package faketime)"

mkdir -p "$outdir"
e2e_session "$outdir" listen
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

# Speech goes nowhere: Orca's log shows what it would say. Started here, so
# that it is ended with the session.
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<'CONF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF
speech-dispatcher --run-single --timeout 0 >"$outdir/listen_speechd.log" 2>&1 &
pids+=($!)
speechd_ready() {
    kill -0 "${pids[-1]}" 2>/dev/null || return 2
    [[ -S "$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock" ]]
}
poll speechd_ready || skip "speech-dispatcher did not start (see $outdir/listen_speechd.log)"

# Orca's own debug file is written in blocks; its log on stderr comes line by
# line, so the test can wait for each thing said. Orca speaks English here:
# the test knows its role names ("text", "push button", "notification").
orca_log="$outdir/listen_orca.log"
LANG=C.UTF-8 LC_ALL=C.UTF-8 LANGUAGE='' /usr/bin/python3 -c '
import runpy, sys
from orca import debug
debug.debugLevel = debug.LEVEL_INFO
sys.argv = ["orca"]
runpy.run_path("/usr/bin/orca", run_name="__main__")
' >"$outdir/listen_orca.out" 2>"$orca_log" &
pids+=($!)
orca_ready() {
    kill -0 "${pids[-1]}" 2>/dev/null || return 2
    grep -q "SPEECH OUTPUT: 'Screen reader on.'" "$orca_log"
}
poll orca_ready || skip "Orca did not start (see $outdir/listen_orca.out and $orca_log)"

echo "listen: Xvfb on $DISPLAY, Orca listening"
status=0
/usr/bin/python3 "$here/listen_e2e.py" "$game" "$orca_log" "$work" "$faketime_library" || status=$?
# The logs stay only to explain a failure.
((status != 0)) || rm -f "$outdir"/listen_*.log "$outdir"/listen_orca.out
exit "$status"
