#!/usr/bin/env bash
# Installs what is missing, builds, lays out the sample game install and opens
# the tool on it. The tool is told where the sample is through its remembered
# path file, so it opens without asking.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what the tool needs: the tests' packages and programs come with scripts/test.sh.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  bash scripts/deps.sh tool xvfb xauth
else
  bash scripts/deps.sh tool
fi
FRAMEWISE_TOOL_ONLY=1 bash scripts/build.sh
build=$(cd "${FRAMEWISE_BUILD:-build}" && pwd)
app="$build/src/app"
printf '%s/sample-game/\r\n' "$build" > "$app/CoD_path.ini"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop display found: starting the tool on a virtual X server (Xvfb)."
  exec xvfb-run -a "$app/framewise"
fi
exec "$app/framewise"
