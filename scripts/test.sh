#!/usr/bin/env bash
# Installs what is missing, builds with the tests and runs the whole suite:
# the unit tests on Qt's offscreen platform and the end-to-end test of the
# real game, which starts its own virtual X server. No display is needed.
#   bash scripts/test.sh [extra ctest arguments...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}" "${QUOZZOLO_DESKTOP_TEST_PACKAGES[@]}"
quozzolo_require_locale it_IT.UTF-8
quozzolo_build build-test RelWithDebInfo -DBUILD_TESTING=ON

ctest --test-dir "$QUOZZOLO_ROOT/build-test" --output-on-failure "$@"
