#!/usr/bin/env bash
# Builds Kopix with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its own and runs the
# unit, gui and x11 tests there. Any report fails the run.
set -euo pipefail
build="${1:-build-sanitize}"
jobs="${2:-$(nproc)}"
here="$(cd "$(dirname "$0")/.." && pwd)"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOPIX_SANITIZE=ON \
  -DKOPIX_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$jobs"

# halt_on_error: the first report ends the program, so a test cannot pass over it. The suppressions
# hold only leaks inside system libraries.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
cd "$build"
ctest --output-on-failure --parallel "$jobs" -L '^(unit|gui|x11)$'
