#!/usr/bin/env bash
# Builds the release programs with the window tools (screenshot, start-up timing) in
# build/tools. Used by scripts/screenshot.sh and scripts/startup-timing.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/tools -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF \
  -DQUENDRA_BUILD_TOOLS=ON >/dev/null
if ! log=$(cmake --build build/tools -j2 2>&1); then
  echo "$log" >&2
  exit 1
fi
