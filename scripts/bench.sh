#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release (build dir
# build-bench) and runs them. Extra arguments go to Google Benchmark, e.g.
#   bash scripts/bench.sh --benchmark_filter=LeadingNumber --benchmark_repetitions=5
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

quozzolo_require_packages "${QUOZZOLO_BUILD_PACKAGES[@]}"
quozzolo_build build-bench Release -DQUOZZOLO_BENCH=ON -DBUILD_TESTING=OFF

QT_QPA_PLATFORM=offscreen "$QUOZZOLO_ROOT/build-bench/bench/bench_quiz" "$@"
