#!/usr/bin/env bash
# Runs a command in a desktop session of its own (session.sh) with Qt's
# accessibility bridge on, as a screen reader would find the game:
#
#   with_session.sh COMMAND [ARGUMENTS...]
#
# Exit status: the command's, or 77 (skip) when the session cannot start.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/session.sh"
e2e_session "" session
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$@"
