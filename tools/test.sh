#!/usr/bin/env bash
# Sets up, builds and runs every test: once in an optimised build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then checks the formatting.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup.sh"
jobs=$(nproc)

echo "== build and test"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" -j"$jobs"
ctest --test-dir "$top/build" --output-on-failure -j"$jobs"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$top" -B "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DAMPLIRO_SANITIZE=ON >/dev/null
cmake --build "$top/build-sanitize" -j"$jobs"
# The readers' fuzz tests take 34000 mutated inputs each here (six readers:
# over 200,000 in all), a quick few thousand elsewhere.
AMPLIRO_FUZZ_INPUTS=34000 ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$top/build-sanitize" --output-on-failure -j"$jobs"

echo "== format check"
"$top/tools/format.sh" --check
