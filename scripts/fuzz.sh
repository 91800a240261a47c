#!/usr/bin/env bash
# Fuzzes for longer than the test command does.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# SECONDS per target (default 600); TARGETs are names such as dump_parse or
# compile (default: every target). Builds the fuzz targets into build-asan with
# clang and runs them one after another. New inputs collect in
# build-asan/tests/fuzz/work/<target>/corpus and are used again next time; an
# input that breaks a target is left there as crash-*, timeout-* or leak-*.
# Copy it into tests/fuzz/corpus/<target>/ once the fault is fixed, so every run
# from then on checks it. To shrink a work corpus into the kept one:
#   build-asan/tests/fuzz/fuzz_<target> -merge=1 tests/fuzz/corpus/<target> build-asan/tests/fuzz/work/<target>/corpus
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FRAMEWISE_ASAN_BUILD:-build-asan}
seconds=${1:-600}
shift || true
source scripts/sanitizer-env.sh
trap 'rm -rf "$FRAMEWISE_REPORTS"' EXIT

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^framewise_add_fuzzer(\([a-z_]*\) .*/\1/p' tests/fuzz/CMakeLists.txt))
fi
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DFRAMEWISE_FUZZ=ON -DFRAMEWISE_BENCHMARKS=OFF -DFRAMEWISE_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- -j"$(nproc)"

failed=0
for t in "${targets[@]}"; do
  # The same command the test command runs, with the longer time.
  ctest --test-dir "$build" -R "^fuzz_${t}\$" --output-on-failure -V | grep -E "^[0-9]+: " || failed=1
  sanitizer_reports_clean || failed=1
done
exit "$failed"
