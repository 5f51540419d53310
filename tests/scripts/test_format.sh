#!/usr/bin/env bash
# Every C++ source of the project is laid out as .clang-format says, so a change shows only what it
# changes. Builds and the folders of other programs are not looked at.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
mapfile -t sources < <(find app core mainwin platform settings tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
[ ${#sources[@]} -gt 50 ] || { echo "format test: only ${#sources[@]} sources found under $root" >&2; exit 1; }
clang-format --dry-run --Werror "${sources[@]}"
