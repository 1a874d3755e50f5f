#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, and runs each for SECONDS
# (default 20) from its seed corpus in fuzz/corpus/. Fails on any crash,
# hang, leak, sanitizer report or broken property; prints the executions
# of each target. New inputs go to build-fuzz/corpus/, never to the seeds.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

seconds="${1:-20}"
quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}" "${QUOZZOLO_FUZZ_PACKAGES[@]}"

build="$QUOZZOLO_ROOT/build-fuzz"
targets=(fuzz_leadingnumber fuzz_strictnumber fuzz_format fuzz_cp1252 fuzz_answer fuzz_recordfiles)
cmake -S "$QUOZZOLO_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUOZZOLO_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "${QUOZZOLO_JOBS:-$(nproc)}" --target "${targets[@]}"

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$QUOZZOLO_ROOT/scripts/lsan.supp:print_suppressions=0"
failed=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work" "$build/artifacts"
    log="$build/$target.log"
    if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$work" "$QUOZZOLO_ROOT/fuzz/corpus/$target" >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed+=("$target")
        tail -n 40 "$log" >&2
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    printf '%-20s %-6s %12s executions in %s s\n' "$target" "$status" "${runs:-?}" "$seconds"
done
if ((${#failed[@]})); then
    echo "fuzz: failed: ${failed[*]} (inputs in $build/artifacts/)" >&2
    exit 1
fi
