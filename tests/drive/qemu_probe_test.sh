#!/usr/bin/env bash
# Runs quendra-probe on a stock Linux kernel under QEMU (the qemu-drive harness) with two
# emulated drives: an IDE/ATAPI drive without a disc and a SCSI drive with a CD. It checks
# what the probe sees as root (text), as a user who may read the device nodes (JSON, checked
# against docs/probe.schema.json), and as a user who may not (the cause and its fix). Skips
# (exit 77) when QEMU, the harness or its cached kernel is missing; it never installs or
# downloads anything.
#
# usage: qemu_probe_test.sh QUENDRA_PROBE HARNESS
set -uo pipefail

probe=$1
harness=${2:-}
schema=$(cd "$(dirname "$0")/../../docs" && pwd)/probe.schema.json
skip() { echo "SKIP: $*"; exit 77; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
[ -n "$harness" ] && [ -x "$harness" ] || skip "no qemu-drive harness (QUENDRA_QEMU_DRIVE)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/guest.sh" <<'GUEST'
probe=/extra/bin/quendra-probe
$probe > /out/root.txt 2>&1; echo "root rc=$?"
chmod 0644 /dev/sr*
su -s /bin/sh user -c "$probe --json" > /out/reader.json 2>/out/reader.err; echo "reader rc=$?"
chmod 0600 /dev/sr*
su -s /bin/sh user -c "$probe" > /out/denied.txt 2>&1; echo "denied rc=$?"
GUEST

# TCG: nested KVM is not dependable on build machines, and two drives boot in about 10 s.
# The whole run must end within CTest's minute: the harness's preparation counts too.
timeout --kill-after=2 55 \
"$harness" --no-install --accel tcg --timeout 50 --guest-timeout 30 --wait 10 \
    -o "$work/out" -s "$work/guest.sh" -f "$probe:bin/quendra-probe" \
    -d ide:empty -d "scsi:cd,vendor=QDVENDOR,product=DVD-RW QD1234,ver=1.0A" \
    > "$work/harness.log" 2>&1
rc=$?
if [ $rc -eq 2 ] && grep -q -- "--no-install" "$work/harness.log"; then
    skip "the harness needs to install or download first: $(tail -1 "$work/harness.log")"
fi
# 124: the guest did not boot and run within the time (a busy machine; emulation is slow).
# A probe that hangs ends in the guest's own time limit instead (137), which fails.
if [ $rc -eq 124 ] || [ $rc -eq 137 -a ! -f "$work/out/timed-out" ]; then
    skip "the emulated machine did not finish within the test's time (busy host): $(tail -1 "$work/harness.log")"
fi
if [ $rc -ne 0 ]; then
    cat "$work/harness.log" "$work/out/output.txt" 2>/dev/null
    echo "FAIL: harness exit status $rc"
    exit 1
fi

failures=0
expect() {  # FILE TEXT
    if ! grep -qF -- "$2" "$work/out/$1"; then
        echo "FAIL: $1 lacks: $2"
        failures=$((failures + 1))
    fi
}
expect root.txt "Drive route                 SCSI pass-through"
expect root.txt "Drives found                2"
expect root.txt '  0   0:0:0        D       "0:0:0,D: QEMU     QEMU DVD-ROM     2.5+ "'
expect root.txt '  1   2:0:0        E       "2:0:0,E: QDVENDOR DVD-RW QD1234    1.0A "'
# ATAPI drive: no default values of page 0x2A, no disc.
expect root.txt "  Unit ready                no"
expect root.txt "  Error                     Hardware Error 14848"
# SCSI drive with a CD: page 0x2A read, ready.
expect root.txt "  Max read speed            8800 kB/s"
expect root.txt "  Max write speed           2816 kB/s"
expect root.txt "  Unit ready                yes"
# Details. ATAPI: the profile list only (other features are refused), no disc by the media
# event. SCSI: every feature request answers features 0, 1 and 3, so no microcode upgrade.
sed -n '/^Details of drive 0$/,/^$/p' "$work/out/root.txt" > "$work/out/details0.txt"
sed -n '/^Details of drive 1$/,$p' "$work/out/root.txt" > "$work/out/details1.txt"
expect details0.txt "  Disc present              no"
expect details0.txt "  Current profile           none"
expect details0.txt "  Profiles                  0x0010  DVD-ROM"
expect details0.txt "  Microcode upgrade         not reported"
expect details0.txt "  Firmware date             not reported"
expect details1.txt "  Disc present              yes"
expect details1.txt "  Current profile           0x0008  CD-ROM"
expect details1.txt "                            0x0008  CD-ROM  (current)"
expect details1.txt "  Microcode upgrade         not supported"
expect details1.txt "  Firmware date             not reported"
# The same as JSON, for a user who may read the nodes.
python3 - "$schema" "$work/out/reader.json" <<'PY' || failures=$((failures + 1))
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
# Without access: devtmpfs makes the nodes root:root 0600.
expect denied.txt "Drive route                 none"
expect denied.txt "Drives found                0"
expect denied.txt "Cause                       /dev/sr0 exists, but this user may not open it (it belongs to group root)"
expect denied.txt "Fix                         Run it as root (sudo)"
expect output.txt "root rc=0"
expect output.txt "reader rc=0"
expect output.txt "denied rc=0"

if [ $failures -ne 0 ]; then
    for f in output.txt root.txt reader.json reader.err denied.txt; do
        echo "== $f"
        cat "$work/out/$f"
    done
    exit 1
fi
echo "quendra-probe under QEMU: as expected (root, reader, denied)"
