#!/usr/bin/env bash
# Runs quendra-probe and the Linux drive backend's tests on a stock Linux kernel under QEMU
# (the qemu-drive harness next to this file) with two emulated drives: an IDE/ATAPI drive
# without a disc and a SCSI drive with a CD. The probe runs as root, as a user who may read
# the device nodes and as a user who may not; its drive list, each drive's block (the
# capabilities and the drive's part of its report) and each drive's details must match the
# texts in expected/, its JSON must follow docs/probe.schema.json, and the user without access
# must be told why no drive was found. The root run also captures its commands, and the
# capture, replayed here through the simulated ASPI library, must give the same drive output.
#
# Skips (exit 77) when QEMU or the harness's cached kernel is missing; with
# QUENDRA_REQUIRE_QEMU=1 (scripts/test.sh sets it) that is a failure instead. It never
# installs or downloads anything: scripts/setup.sh prepares both.
#
# usage: probe_under_qemu.sh QUENDRA_PROBE DRIVE_LINUX_TESTS ASPI_LIBRARY_FOLDER
# KEEP_QEMU_OUT=FOLDER keeps what the guest wrote there (to renew the files in expected/).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
harness=$here/qemu-drive/qemu-drive.sh
expected=$here/expected
probe=$1
backend_tests=$2
aspi_library=$3
. "$here/../cli/drive_parts.sh"

skip() {
    if [ "${QUENDRA_REQUIRE_QEMU:-0}" = 1 ]; then
        echo "FAIL: $* (QUENDRA_REQUIRE_QEMU=1; scripts/setup.sh installs and prepares it)"
        exit 1
    fi
    echo "SKIP: $*"
    exit 77
}
command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"

work=$(mktemp -d)
trap '[ -n "${KEEP_QEMU_OUT:-}" ] && cp -r "$work/out" "$KEEP_QEMU_OUT"; rm -rf "$work"' EXIT
# Without their debug sections the programs make a smaller image, which boots sooner.
objcopy --strip-debug "$probe" "$work/quendra-probe" &&
    objcopy --strip-debug "$backend_tests" "$work/drive_linux_tests" || exit 1
cat > "$work/guest.sh" <<'GUEST'
probe=/extra/bin/quendra-probe
$probe --capture /out/root.capture > /out/root.txt 2> /out/root.err; echo "root rc=$?"
chmod 0644 /dev/sr*
su -s /bin/sh user -c "$probe" > /out/reader.txt 2>&1; echo "reader rc=$?"
su -s /bin/sh user -c "$probe --json" > /out/reader.json 2>/out/reader.err; echo "json rc=$?"
chmod 0600 /dev/sr*
su -s /bin/sh user -c "$probe" > /out/denied.txt 2>&1; echo "denied rc=$?"
/extra/bin/drive_linux_tests > /out/backend.txt 2>&1; echo "backend rc=$?"
GUEST

# TCG: nested KVM is not dependable on build machines, and two drives boot in seconds.
"$harness" --no-install --no-sg3-utils --accel tcg --timeout 50 --guest-timeout 30 --wait 10 \
    -o "$work/out" -s "$work/guest.sh" \
    -f "$work/quendra-probe:bin/quendra-probe" -f "$work/drive_linux_tests:bin/drive_linux_tests" \
    -d ide:empty -d "scsi:cd,vendor=QDVENDOR,product=DVD-RW QD1234,ver=1.0A" \
    > "$work/harness.log" 2>&1
rc=$?
if [ $rc -eq 2 ] && grep -q -- "--no-install" "$work/harness.log"; then
    skip "the harness needs to install or download first: $(tail -1 "$work/harness.log")"
fi
if [ $rc -ne 0 ]; then
    cat "$work/harness.log" "$work/out/output.txt" 2>/dev/null
    echo "FAIL: harness exit status $rc"
    exit 1
fi
out=$work/out

# The drive list: from "Drive route" up to the first drive's block (or the end).
list() { sed -n '/^Drive route/,/^Drive 0 /p' "$1" | sed '/^Drive 0 /d'; }
# Drive N's block of capabilities, then the drive's lines of its report.
drive() {
    awk -v n="$2" '
        $0 ~ "^Drive " n "  " { on = 1 }
        $0 == "Report of drive " n { report = 1 }
        report && /^DeviceName=/ { on = 1 }
        /^$/ { on = 0; report = 0 }
        on { print }' "$1"
}

# Drive N's details, after its report.
details() { sed -n "/^Details of drive $2\$/,/^\$/p" "$1" | sed '/^$/d'; }

failures=0
compare() {  # EXPECTED_FILE WHAT ACTUAL_TEXT
    if ! diff -u "$expected/$1" <(printf '%s\n' "$3") > "$work/diff.txt"; then
        echo "FAIL: $2 differs from expected/$1:"
        cat "$work/diff.txt"
        failures=$((failures + 1))
    fi
}
for run in root reader; do
    compare list.txt "$run: drive list" "$(list "$out/$run.txt")"
    compare drive-0-ide-empty.txt "$run: drive 0" "$(drive "$out/$run.txt" 0)"
    compare drive-1-scsi-cd.txt "$run: drive 1" "$(drive "$out/$run.txt" 1)"
done
compare details-0-ide-empty.txt "root: details of drive 0" "$(details "$out/root.txt" 0)"
compare details-1-scsi-cd.txt "root: details of drive 1" "$(details "$out/root.txt" 1)"
compare denied.txt "denied: drive list and the cause" "$(list "$out/denied.txt")"
# The same facts as JSON, for the user who may read the nodes.
python3 - "$here/../../docs/probe.schema.json" "$out/reader.json" <<'PY' || failures=$((failures + 1))
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1]))
document = json.load(open(sys.argv[2]))
jsonschema.validators.validator_for(schema)(schema).validate(document)
drives = document["drives"]
assert document["route"] == "pass-through" and len(drives) == 2, document["route"]
assert drives[0]["details"] == {"discPresent": False,
                                "currentProfile": {"code": 0, "name": ""},
                                "profiles": [{"code": 16, "name": "DVD-ROM", "current": False},
                                             {"code": 8, "name": "CD-ROM", "current": False}]}, drives[0]["details"]
assert drives[1]["details"]["discPresent"] is True, drives[1]["details"]
assert drives[1]["details"]["microcodeUpgrade"] == {"supported": False}, drives[1]["details"]
assert drives[1]["report"]["DeviceNameModel"] == "QD1234", drives[1]["report"]
PY
# The root run's capture, replayed on this machine (unless its own drives would be probed).
if ! ls /dev/sr[0-9]* >/dev/null 2>&1; then
    QUENDRA_TEST_ASPI_BUS="capture=$out/root.capture" LD_LIBRARY_PATH="$aspi_library" "$probe" \
        > "$work/replay.txt" 2>&1
    if ! diff -u <(drive_parts "$out/root.txt") <(drive_parts "$work/replay.txt") > "$work/diff.txt"; then
        echo "FAIL: the replay of the root run's capture differs from the run:"
        cat "$work/diff.txt"
        failures=$((failures + 1))
    fi
fi
for line in "root rc=0" "reader rc=0" "json rc=0" "denied rc=0" "backend rc=0"; do
    grep -qx "$line" "$out/output.txt" || { echo "FAIL: no '$line'"; failures=$((failures + 1)); }
done
# The real-drive test ran (a skipped test does not print OK).
if ! grep -q '^\[       OK \] LinuxDrives.RealDriveWhenThereIsOne' "$out/backend.txt"; then
    echo "FAIL: the real-drive test did not pass in the guest"
    failures=$((failures + 1))
fi

if [ $failures -ne 0 ]; then
    for f in output.txt root.txt root.err reader.txt reader.json reader.err denied.txt backend.txt; do
        echo "== $f"
        cat "$out/$f"
    done
    exit 1
fi
echo "under QEMU: probe as expected (root, reader, denied), its capture replays alike," \
    "backend tests passed;" \
    "$(tr '\n' ' ' < "$out/timing.txt")"
