#!/usr/bin/env bash
# Load on quendra-service: many concurrent clients (wrk, keep-alive connections) posting the
# program's report to the lookup endpoint. Prints requests per second and latency
# percentiles for each number of service threads and clients. Client and service share
# this machine's cores, so the figures are a floor for a machine of its own.
#
# usage: bash scripts/bench-service.sh [--build FOLDER] [--seconds N]
set -euo pipefail
cd "$(dirname "$0")/.."

build=""
seconds=10
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="${2:?}"; shift 2 ;;
    --seconds) seconds="${2:?}"; shift 2 ;;
    --help) sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench-service: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done

bash scripts/setup.sh
if [ -z "$build" ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF
  cmake --build build/release -j2 --target quendra-service
  build=build/release
fi

source scripts/service-lib.sh
trap stop_service EXIT

export QUENDRA_BENCH_BODY="$PWD/bench/service/report-body.txt"
echo "nproc: $(nproc); body: $(wc -c <"$QUENDRA_BENCH_BODY") bytes; $seconds s per run"
for threads in 1 2; do
  # The log (a line per request) goes nowhere here.
  start_service "$build" /dev/null --threads "$threads" --max-connections 2000 --exit-after 600
  for clients in 10 100 1000; do
    echo "== service threads $threads, clients $clients"
    wrk --threads 2 --connections "$clients" --duration "${seconds}s" --timeout 10s \
      --script bench/service/post-report.lua "$service_address/quendra/quendra.php" |
      grep -E 'Requests/sec|percentiles|Socket errors|Non-2xx'
  done
  stop_service
done
