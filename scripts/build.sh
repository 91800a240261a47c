#!/usr/bin/env bash
# Configures and builds the Linux tree into build/ (or $FRAMEWISE_BUILD).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FRAMEWISE_BUILD:-build}
# FRAMEWISE_TOOL_ONLY=1 leaves out the tests and benchmarks (scripts/try.sh);
# otherwise they are switched back on, in case a try configured this tree.
if [ "${FRAMEWISE_TOOL_ONLY:-0}" = 1 ]; then
  parts=(-DFRAMEWISE_TESTS=OFF -DFRAMEWISE_BENCHMARKS=OFF)
else
  parts=(-DFRAMEWISE_TESTS=ON -DFRAMEWISE_BENCHMARKS=ON)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${parts[@]}" >/dev/null
cmake --build "$build" -- -j"$(nproc)"
