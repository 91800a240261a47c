#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Linux suite
# (GUI tests on Qt's offscreen platform) and the Windows suite under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
# A test that fails is run once more: the real applications (Calc, the engine)
# can miss a start-up wait on a busy machine. A fault that stays fails both times.
ctest --test-dir "${FRAMEWISE_BUILD:-build}" --output-on-failure -j"$(nproc)" --repeat until-pass:2
# The same suite built with sanitizers, and the fuzz targets for a bounded time.
bash scripts/sanitize-tests.sh
# The Debian package, built, installed and used by two throwaway users (needs root).
bash tests/package/package_test.sh "${FRAMEWISE_BUILD:-build}"
if [ -f scripts/windows-tests.sh ]; then
  bash scripts/windows-tests.sh
fi
