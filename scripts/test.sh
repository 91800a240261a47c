#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Linux suite
# (GUI tests on Qt's offscreen platform) and the Windows suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${FRAMEWISE_BUILD:-build}" --output-on-failure -j"$(nproc)"
# The same suite built with sanitizers, and the fuzz targets for a bounded time.
bash scripts/sanitize-tests.sh
if [ -f scripts/windows-tests.sh ]; then
  bash scripts/windows-tests.sh
fi
