#!/usr/bin/env bash
# Measures, over several runs, the time from process start to the window shown and first
# painted (offscreen, two drives of the simulated ASPI library) and the resident memory then,
# and prints the medians. The start-up update check sits in that path, so the runs cover:
#   check off     a build configured with -DQUENDRA_UPDATE_CHECK=OFF (the baseline)
#   no update     a local update service whose information file names an older release
#   refused       an update host where nothing listens
# interleaved run by run, plus a few starts against the default update host (a name under
# .example, which never resolves). Usage: scripts/startup-timing.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-tools.sh
cmake -S . -B build/tools-nocheck -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF \
  -DQUENDRA_BUILD_TOOLS=ON -DQUENDRA_UPDATE_CHECK=OFF >/dev/null
if ! log=$(cmake --build build/tools-nocheck -j2 --target quendra-startup-timing 2>&1); then
  echo "$log" >&2
  exit 1
fi
runs=${1:-21}
env -u QUENDRA_TEST_ASPI_BUS -u QUENDRA_UPDATE_HOST QT_QPA_PLATFORM=offscreen \
  LD_LIBRARY_PATH=build/tools/demo/aspi python3 - "$runs" <<'PY'
import http.server, os, socket, statistics, subprocess, sys, tempfile, threading, time

runs = int(sys.argv[1])
checked = "build/tools/tools/quendra-startup-timing"
unchecked = "build/tools-nocheck/tools/quendra-startup-timing"


class NoUpdate(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"#version=0.1\r\n" if self.path == "/update-qndr.php" else b""
        self.send_response(200 if body else 404)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), NoUpdate)
threading.Thread(target=server.serve_forever, daemon=True).start()
with socket.socket() as probe:
    probe.bind(("127.0.0.1", 0))
    refused_port = probe.getsockname()[1]  # closed again: nothing listens there

# Each start gets folders of its own, so no check lock or download is shared between runs.
scratch = tempfile.TemporaryDirectory(prefix="quendra-timing-")


def start(tool, update_host):
    env = dict(os.environ)
    folder = tempfile.mkdtemp(dir=scratch.name)
    env.update(TMPDIR=folder, XDG_RUNTIME_DIR=folder, XDG_CACHE_HOME=folder)
    if update_host:
        env["QUENDRA_UPDATE_HOST"] = update_host
    begin = time.monotonic_ns()
    out = subprocess.run([tool], check=True, capture_output=True, text=True, env=env,
                         timeout=60).stdout
    fields = dict(part.split("=") for part in out.split())
    if fields.get("drives") != "2":
        sys.exit(f"expected two simulated drives, got: {out.strip()}")
    return ((int(fields["shown_ns"]) - begin) / 1e6, (int(fields["painted_ns"]) - begin) / 1e6,
            int(fields["rss_kb"]) / 1024)


scenarios = {
    "check off": (unchecked, None),
    "no update": (checked, f"127.0.0.1:{server.server_address[1]}"),
    "refused": (checked, f"127.0.0.1:{refused_port}"),
}
for tool, host in scenarios.values():
    start(tool, host)  # warm the file cache once
results = {name: [] for name in scenarios}
for _ in range(runs):
    for name, (tool, host) in scenarios.items():
        results[name].append(start(tool, host))


def median(samples, index):
    return statistics.median(sample[index] for sample in samples)


print(f"runs: {runs} per case, interleaved")
print(f"{'case':<14}{'shown ms':>10}{'painted ms':>12}{'added ms':>10}{'memory MB':>11}")
baseline = median(results["check off"], 0)
for name, samples in results.items():
    shown = median(samples, 0)
    print(f"{name:<14}{shown:>10.1f}{median(samples, 1):>12.1f}{shown - baseline:>10.1f}"
          f"{median(samples, 2):>11.1f}")
default = [start(checked, None)[0] for _ in range(3)]
print(f"default update host (never resolves): shown after "
      + ", ".join(f"{value:.0f}" for value in default) + " ms")
server.shutdown()
PY
