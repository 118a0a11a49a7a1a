#!/usr/bin/env bash
# Measures, over several runs, the time from process start to the window shown and first
# painted (offscreen, two drives of the simulated ASPI library) and the resident memory
# then, and prints the medians. Usage: scripts/startup-timing.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-tools.sh
runs=${1:-21}
env -u QUENDRA_TEST_ASPI_BUS QT_QPA_PLATFORM=offscreen LD_LIBRARY_PATH=build/tools/demo/aspi \
  python3 - "$runs" <<'PY'
import statistics, subprocess, sys, time

runs = int(sys.argv[1])
tool = "build/tools/tools/quendra-startup-timing"
subprocess.run([tool], check=True, capture_output=True)  # warm the file cache once
shown, painted, memory = [], [], []
for _ in range(runs):
    start = time.monotonic_ns()
    out = subprocess.run([tool], check=True, capture_output=True, text=True).stdout
    fields = dict(part.split("=") for part in out.split())
    if fields.get("drives") != "2":
        sys.exit(f"expected two simulated drives, got: {out.strip()}")
    shown.append((int(fields["shown_ns"]) - start) / 1e6)
    painted.append((int(fields["painted_ns"]) - start) / 1e6)
    memory.append(int(fields["rss_kb"]) / 1024)
print(f"runs: {runs}")
for name, values in (("shown", shown), ("first painted", painted)):
    print(f"start to window {name}: median {statistics.median(values):.1f} ms "
          f"(min {min(values):.1f}, max {max(values):.1f})")
print(f"resident memory at first paint: median {statistics.median(memory):.1f} MB "
      f"(min {min(memory):.1f}, max {max(memory):.1f})")
PY
