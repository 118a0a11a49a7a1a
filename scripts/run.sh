#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the program. Without a
# display it says so and prints what the window would show, as text (quendra-probe).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF
cmake --build build/release -j2

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so here is the same job as text, from quendra-probe:"
  exec build/release/cli/quendra-probe
fi
exec build/release/app/quendra "$@"
