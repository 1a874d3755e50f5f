#!/usr/bin/env bash
# Installs what is missing, builds the game in Release and starts it.
#   bash scripts/play.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

# No point in building a game that cannot open its window.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "quozzolo: manca lo schermo (la variabile DISPLAY non è impostata); il gioco ha bisogno di una sessione grafica del desktop." >&2
    exit 1
fi

quozzolo_require_packages "${QUOZZOLO_PLAY_PACKAGES[@]}"
quozzolo_build build-release Release -DBUILD_TESTING=OFF

exec "$QUOZZOLO_ROOT/build-release/src/app/quozzolo" "$@"
