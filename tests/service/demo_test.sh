#!/usr/bin/env bash
# Runs scripts/demo.sh without a display on a build folder: the service starts, the probe's
# lookup of drive 0 prints the sample catalogue's pages of the simulated DVD reader, and the
# service is gone afterwards. Skips (exit 77) on a machine with optical drives, where the
# probe takes the real drives instead of the simulated ones.
#
# usage: demo_test.sh REPOSITORY BUILD_FOLDER
set -uo pipefail

if ls /dev/sr[0-9]* >/dev/null 2>&1; then
    echo "SKIP: this machine has optical drives"
    exit 77
fi
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QUENDRA_TEST_ASPI_BUS \
    bash "$1/scripts/demo.sh" --build "$2" --service-seconds 50 2>&1) || { echo "$output"; exit 1; }

status=0
for line in \
    "http://firmware.acme.example/dvd-rom/DR-16/2.10" \
    "http://www.acme.example/drivers/DVD-ROM" \
    '"POST /quendra/quendra.php" 200 ' \
    "DeviceNameModel=XR-22" \
    "stopping"; do
    if ! grep -qF -- "$line" <<<"$output"; then
        echo "missing: $line"
        status=1
    fi
done
if grep -qE 'QuendraVersion|ACME|DR-16' <<<"$(sed -n '/the service.s log:/,$p' <<<"$output")"; then
    echo "the service's log shows report contents"
    status=1
fi
[ $status -eq 0 ] || echo "$output"
exit $status
