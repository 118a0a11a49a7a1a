#!/usr/bin/env bash
# Pictures the real window with the two drives of the simulated ASPI library,
# offscreen, into docs/window.png (or the file given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-tools.sh
out=${1:-docs/window.png}
mkdir -p "$(dirname "$out")"
env -u QUENDRA_TEST_ASPI_BUS QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH=build/tools/demo/aspi \
  build/tools/tools/quendra-screenshot "$out"
echo "screenshot: $out"
