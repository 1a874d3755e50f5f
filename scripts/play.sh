#!/usr/bin/env bash
# Installs what is missing, builds the game in Release and starts it.
#   bash scripts/play.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}"
quozzolo_build build-release Release -DBUILD_TESTING=OFF

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "quozzolo: no display (DISPLAY is not set): the game needs a desktop session." >&2
    exit 1
fi
exec "$QUOZZOLO_ROOT/build-release/src/app/quozzolo" "$@"
