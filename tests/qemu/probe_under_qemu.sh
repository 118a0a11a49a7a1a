#!/usr/bin/env bash
# Runs quendra-probe on a stock Linux kernel under QEMU (the qemu-drive harness) with two
# emulated drives: an IDE/ATAPI drive without a disc and a SCSI drive with a CD. It checks
# what the probe sees as root, as a user who may read the device nodes, and as a user who
# may not. Skips (exit 77) when QEMU, the harness or its cached kernel is missing; it never
# installs or downloads anything.
#
# usage: qemu_probe_test.sh QUENDRA_PROBE HARNESS
set -uo pipefail

probe=$1
harness=${2:-}
skip() { echo "SKIP: $*"; exit 77; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
[ -n "$harness" ] && [ -x "$harness" ] || skip "no qemu-drive harness (QUENDRA_QEMU_DRIVE)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/guest.sh" <<'GUEST'
probe=/extra/bin/quendra-probe
$probe > /out/root.txt 2>&1; echo "root rc=$?"
chmod 0644 /dev/sr*
su -s /bin/sh user -c "$probe" > /out/reader.txt 2>&1; echo "reader rc=$?"
chmod 0600 /dev/sr*
su -s /bin/sh user -c "$probe" > /out/denied.txt 2>&1; echo "denied rc=$?"
GUEST

# TCG: nested KVM is not dependable on build machines, and two drives boot in about 10 s.
"$harness" --no-install --accel tcg --timeout 50 --guest-timeout 30 --wait 10 \
    -o "$work/out" -s "$work/guest.sh" -f "$probe:bin/quendra-probe" \
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

failures=0
expect() {  # FILE TEXT
    if ! grep -qF -- "$2" "$work/out/$1"; then
        echo "FAIL: $1 lacks: $2"
        failures=$((failures + 1))
    fi
}
for run in root reader; do
    expect $run.txt "Drive route                 SCSI pass-through"
    expect $run.txt "Drives found                2"
    expect $run.txt '  0   0:0:0        D       "0:0:0,D: QEMU     QEMU DVD-ROM     2.5+ "'
    expect $run.txt '  1   2:0:0        E       "2:0:0,E: QDVENDOR DVD-RW QD1234    1.0A "'
    # ATAPI drive: no default values of page 0x2A, no disc.
    expect $run.txt "  Unit ready                no"
    expect $run.txt "  Error                     Hardware Error 14848"
    # SCSI drive with a CD: page 0x2A read, ready.
    expect $run.txt "  Max read speed            8800 kB/s"
    expect $run.txt "  Max write speed           2816 kB/s"
    expect $run.txt "  Unit ready                yes"
done
expect denied.txt "Drive route                 none"
expect denied.txt "Drives found                0"
expect output.txt "root rc=0"
expect output.txt "reader rc=0"
expect output.txt "denied rc=0"

if [ $failures -ne 0 ]; then
    for f in output.txt root.txt reader.txt denied.txt; do
        echo "== $f"
        cat "$work/out/$f"
    done
    exit 1
fi
echo "quendra-probe under QEMU: as expected (root, reader, denied)"
