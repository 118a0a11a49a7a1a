#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them (all, or those whose executable
# name is given), printing medians over repetitions.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF \
  -DQUENDRA_BUILD_BENCH=ON >/dev/null
cmake --build build/bench -j2
shopt -s nullglob
for exe in build/bench/bench/*_bench; do
  name=$(basename "$exe")
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  echo "== $name"
  "$exe" --benchmark_repetitions=15 --benchmark_report_aggregates_only=true
done
