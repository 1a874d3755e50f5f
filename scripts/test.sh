#!/usr/bin/env bash
# Installs what is missing, builds with the tests and runs the whole suite: the
# unit tests on Qt's offscreen platform and the end-to-end test of the real
# game, which starts its own virtual X server. Then the unit tests again
# under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer (in
# build-asan/), and a bounded fuzzing run (scripts/fuzz.sh). No display is
# needed.
#   bash scripts/test.sh [extra ctest arguments for the first run...]
# QUOZZOLO_FUZZ_SECONDS sets the fuzzing time per target (default 20; 0 skips it).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}" "${QUOZZOLO_DESKTOP_TEST_PACKAGES[@]}"
quozzolo_require_locale it_IT.UTF-8
quozzolo_build build-test RelWithDebInfo -DBUILD_TESTING=ON

ctest --test-dir "$QUOZZOLO_ROOT/build-test" --output-on-failure "$@"
echo "quozzolo: build and tests took ${SECONDS} s"

# Any sanitizer report stops the test that made it, and so fails the run.
# Leaks that third-party libraries keep on purpose are suppressed by library
# name in lsan.supp; the game's own code is never suppressed.
step=$SECONDS
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$QUOZZOLO_ROOT/scripts/lsan.supp:print_suppressions=0"
quozzolo_build build-asan RelWithDebInfo -DBUILD_TESTING=ON -DQUOZZOLO_SANITIZE=ON
# The kill test does fewer rounds here: the sanitizers slow each start-up.
QUOZZOLO_KILL_ROUNDS=200 ctest --test-dir "$QUOZZOLO_ROOT/build-asan" --output-on-failure -E e2e
echo "quozzolo: sanitizer build and tests took $((SECONDS - step)) s"

step=$SECONDS
if (("${QUOZZOLO_FUZZ_SECONDS:-20}" > 0)); then
    bash "$QUOZZOLO_ROOT/scripts/fuzz.sh" "${QUOZZOLO_FUZZ_SECONDS:-20}"
fi
echo "quozzolo: fuzzing took $((SECONDS - step)) s"
