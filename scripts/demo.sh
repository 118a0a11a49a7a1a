#!/usr/bin/env bash
# The whole system on this machine: quendra-service on a free loopback port with the sample
# catalogue and release (service/samples/), and the program against it with the simulated
# drives of demo/aspi. With a display that is the window: click "Check for Firmware and
# Driver update of ..." and the browser opens the catalogue's pages. Without one it is
# quendra-probe: the lookup of drive 0 (the addresses the window would open), then
# everything the probe prints. The service stops when the program ends; its log follows.
#
# usage: bash scripts/demo.sh [--build FOLDER] [--service-seconds N]
#   --build FOLDER         use this build folder instead of building build/release
#   --service-seconds N    the longest the service runs, should this script be killed (3600)
set -euo pipefail
cd "$(dirname "$0")/.."

build=""
service_seconds=3600
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="${2:?}"; shift 2 ;;
    --service-seconds) service_seconds="${2:?}"; shift 2 ;;
    --help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done

if [ -z "$build" ]; then
  bash scripts/setup.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF
  cmake --build build/release -j2
  build=build/release
fi

source scripts/service-lib.sh
work=$(mktemp -d)
finish() {
  if [ -n "$service_pid" ]; then
    stop_service
    echo "demo: the service's log:"
    sed 's/^/  /' "$work/service.log"
  fi
  rm -rf "$work"
}
trap finish EXIT

start_service "$build" "$work/service.log" --exit-after "$service_seconds"
echo "demo: quendra-service answers at $service_address"

export QUENDRA_DATA_HOST="${service_address#http://}"
export QUENDRA_UPDATE_HOST="${service_address#http://}"
export LD_LIBRARY_PATH="$build/demo/aspi${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$build/app/quendra"
else
  probe="$build/cli/quendra-probe"
  echo "demo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); the addresses the window would open for drive 0:"
  "$probe" --lookup 0
  if "$probe" --help 2>/dev/null | grep -q -- '--check-update'; then
    echo "demo: the update check against the service:"
    "$probe" --check-update
  fi
  echo "demo: everything quendra-probe sees:"
  "$probe"
fi
