#!/usr/bin/env bash
# Renews the captures of real drives the tests replay (captures/): quendra-probe --capture on a
# stock Linux kernel under QEMU (the qemu-drive harness next to this file) with four emulated
# drives, IDE/ATAPI and SCSI, each with and without a disc. Keeps the capture and the captured
# run's output.
#
# usage: make_captures.sh QUENDRA_PROBE
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
objcopy --strip-debug "$1" "$work/quendra-probe"
cat > "$work/guest.sh" <<'GUEST'
/extra/bin/quendra-probe --capture /out/emulated-drives.capture > /out/emulated-drives.txt
GUEST
"$here/qemu-drive/qemu-drive.sh" --no-install --no-sg3-utils --accel tcg --timeout 150 \
    --guest-timeout 100 --wait 15 -o "$work/out" -s "$work/guest.sh" \
    -f "$work/quendra-probe:bin/quendra-probe" \
    -d ide:empty -d ide:cd -d scsi:empty -d "scsi:cd,vendor=QDVENDOR,product=DVD-RW QD1234,ver=1.0A"
cp "$work/out/emulated-drives.capture" "$work/out/emulated-drives.txt" "$here/captures/"
echo "captures renewed in $here/captures"
