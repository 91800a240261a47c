#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang,
# -O1) into build-asan and runs the whole suite there: the stand-in game and
# spreadsheet run instrumented too, and each fuzz target is fuzzed for
# FRAMEWISE_FUZZ_SECONDS (20). Any sanitizer report fails the run, as does a
# failed test or a fuzz target that breaks.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FRAMEWISE_ASAN_BUILD:-build-asan}
seconds=${FRAMEWISE_FUZZ_SECONDS:-20}
source scripts/sanitizer-env.sh
trap 'rm -rf "$FRAMEWISE_REPORTS"' EXIT

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DFRAMEWISE_FUZZ=ON -DFRAMEWISE_BENCHMARKS=OFF -DFRAMEWISE_FUZZ_SECONDS="$seconds" >/dev/null
# The build runs the test programs to list their tests: that is checked too.
cmake --build "$build" -- -j"$(nproc)"

failed=0
# The real engine is a prebuilt program that nothing here instruments; the
# instrumented stand-in runs the same scripts.
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --repeat until-pass:2 -LE realengine || failed=1
if ! sanitizer_reports_clean; then
  echo "Sanitizer reports above: the run fails." >&2
  failed=1
fi
# The reliability page names every fuzz target.
for t in $(sed -n 's/^framewise_add_fuzzer(\([a-z_]*\) .*/\1/p' tests/fuzz/CMakeLists.txt); do
  if ! grep -q "^| \`$t\` |" docs/reliability.md; then
    echo "docs/reliability.md has no row for the fuzz target $t." >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "Sanitized suite and fuzzing: no report, no failure."
exit "$failed"
