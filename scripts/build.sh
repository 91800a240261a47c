#!/usr/bin/env bash
# Configures and builds the Linux tree into build/ (or $FRAMEWISE_BUILD).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FRAMEWISE_BUILD:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -- -j"$(nproc)"
