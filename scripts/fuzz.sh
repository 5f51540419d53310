#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for FUZZ_SECONDS (default 600).
# Findings are left as build-fuzz/findings/<target>/crash-*; the corpora grow in build-fuzz/corpus/.
set -euo pipefail
build="${1:-build-fuzz}"
seconds="${FUZZ_SECONDS:-600}"
here="$(cd "$(dirname "$0")/.." && pwd)"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOPIX_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build"
python3 "$here/scripts/fuzz-seeds.py" "$here/tests/data" "$build/seeds"

status=0
for target in profile document cp932; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "== fuzz_$target for ${seconds}s"
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$build/seeds/$target" \
      2>"$build/fuzz_$target.log"; then
    status=1
    echo "fuzz_$target found something: see $findings and $build/fuzz_$target.log"
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|^Done' "$build/fuzz_$target.log" || true
done
exit $status
