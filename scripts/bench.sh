#!/usr/bin/env bash
# Runs every benchmark program of the build, offscreen.
set -euo pipefail
build=${1:-build}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for program in "$build"/kopix_bench_load "$build"/kopix_bench_copy "$build"/kopix_bench_editor "$build"/kopix_bench_save \
  "$build"/kopix_bench_correction "$build"/kopix_bench_find; do
  echo "== $(basename "$program")"
  "$program" --benchmark_counters_tabular=true
done
