#!/usr/bin/env bash
# Runs quendra-probe with the simulated ASPI library on LD_LIBRARY_PATH: without optical
# drives the pass-through route finds nothing and the library's two drives are listed and probed.
# Skips (exit 77) on a machine with optical drives, where the pass-through route wins.
#
# usage: probe_with_test_aspi.sh QUENDRA_PROBE ASPI_LIBRARY_FOLDER
set -uo pipefail

if ls /dev/sr[0-9]* >/dev/null 2>&1; then
    echo "SKIP: this machine has optical drives"
    exit 77
fi
output=$(LD_LIBRARY_PATH="$2" QUENDRA_TEST_ASPI_BUS= "$1" 2>&1) || { echo "$output"; exit 1; }
empty_bus=$output
output=$(env -u QUENDRA_TEST_ASPI_BUS LD_LIBRARY_PATH="$2" "$1" 2>&1) || { echo "$output"; exit 1; }

status=0
for line in \
    "Drive route                 ASPI library" \
    "Drives found                2" \
    '  0   0:0:0        D       "0:0:0,D: ACME     DVD-ROM DR-16    2.10 "' \
    '  1   0:1:0        E       "0:1:0,E: ACME     DVDRAM XR-22     1.02 "' \
    "  26  Write_DVDPLUSR        yes" \
    "  Max read speed            6800 kB/s" \
    "  Burner                    yes" \
    "Report of drive 1" \
    "DeviceName=0:0:0,D: ACME     DVD-ROM DR-16    2.10 " \
    "DeviceNameModel=XR-22" \
    "DeviceIsBurner=YES" \
    "QuendraVersion=1.0.0.0" \
    "Details of drive 1" \
    "                            0x0011  DVD-R Sequential Recording  (current)" \
    "  Microcode upgrade         supported (M5: yes)" \
    "  Firmware date             2011-03-08 14:22:07"; do
    grep -qF -- "$line" <<<"$output" || { echo "missing: $line"; status=1; }
done
grep -qF "Drives found                0" <<<"$empty_bus" || { echo "empty bus: $empty_bus"; status=1; }
grep -q "^Cause  " <<<"$empty_bus" && grep -q "^Fix  " <<<"$empty_bus" ||
    { echo "empty bus without a cause: $empty_bus"; status=1; }
reports=$(grep -c '^TestUnitReady=' <<<"$output")
lines=$(sed -n '/^Report of drive 0$/,$p' <<<"$output" | grep -c '=')
[ "$reports" -eq 2 ] && [ "$lines" -eq 110 ] || { echo "reports: $reports, report lines: $lines"; status=1; }
[ $status -eq 0 ] || echo "$output"
exit $status
