#!/usr/bin/env bash
# Builds the three trees and runs every test: the native unit tests with sanitizers
# and the fuzzers, then the same unit tests as Windows programs and the end-to-end
# tests of the real programs under Wine + Xvfb, built once by GCC and once by clang.
# Ends with one summary line for all three.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

set -e
cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset windows-clang >/dev/null
cmake --build --preset windows-clang
set +e

source scripts/wine-env.sh
trap wine_stop EXIT
wine_ready || exit 1

passed=0 failed=0
run_ctest() {
  local log=build/ctest-$1.log
  ctest --preset "$1" -j2 2>&1 | tee "$log"
  local p f
  p=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' "$log")
  f=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(\*\*\*|Failed|Timeout|Not Run)' "$log")
  passed=$((passed + p)) failed=$((failed + f))
}
run_ctest native
run_ctest windows
run_ctest windows-clang

echo
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
