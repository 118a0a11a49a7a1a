#!/usr/bin/env bash
# quendra-probe --capture, and the replay of captures through the simulated ASPI library:
# - the library's own drives, captured and replayed: the same output but for the clock
#   measurement;
# - the captures of emulated real drives (tests/qemu/captures), made on another machine on the
#   pass-through route: the same drive list, answers, reports and details as the captured run;
# - a capture cut short: the library names the line, and the probe finds no drive and ends
#   normally;
# - a capture file that cannot be written: exit status 1 before any drive is probed.
# Skips (exit 77) on a machine with optical drives, where the pass-through route wins.
#
# usage: capture_replay_test.sh QUENDRA_PROBE ASPI_LIBRARY_FOLDER CAPTURES_FOLDER
set -uo pipefail

probe=$1
library=$2
captures=$3
. "$(dirname "$0")/drive_parts.sh"

if ls /dev/sr[0-9]* >/dev/null 2>&1; then
    echo "SKIP: this machine has optical drives"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

replay() {  # CAPTURE OUTPUT
    QUENDRA_TEST_ASPI_BUS="capture=$1" LD_LIBRARY_PATH="$library" "$probe" > "$2" 2> "$2.err"
}

# The simulated drives: captured on the ASPI route, replayed on it.
env -u QUENDRA_TEST_ASPI_BUS LD_LIBRARY_PATH="$library" "$probe" --capture "$work/sim.capture" \
    > "$work/sim.txt" 2> "$work/sim.err" || fail "capture run: $(cat "$work/sim.err")"
grep -q "^quendra-probe: [0-9]* commands to 2 drives written to $work/sim.capture$" \
    "$work/sim.err" || fail "capture run's note: $(cat "$work/sim.err")"
head -1 "$work/sim.capture" | grep -qx "quendra-capture 1" || fail "no version line"
replay "$work/sim.capture" "$work/sim-replay.txt" || fail "replay run: $(cat "$work/sim-replay.txt.err")"
if ! diff -u <(grep -v '^Clock ' "$work/sim.txt") <(grep -v '^Clock ' "$work/sim-replay.txt"); then
    fail "the replay of the simulated drives differs"
fi
grep -q "^Report of drive 1$" "$work/sim-replay.txt" || fail "the simulated drives were not reported"

# The emulated drives, captured under QEMU.
for capture in "$captures"/*.capture; do
    name=$(basename "$capture" .capture)
    replay "$capture" "$work/$name.txt" || fail "$name: replay run"
    if ! diff -u <(drive_parts "$captures/$name.txt") <(drive_parts "$work/$name.txt"); then
        fail "$name: the replay differs from the captured run"
    fi
    [ -s "$work/$name.txt.err" ] && fail "$name: the library complained: $(cat "$work/$name.txt.err")"
done

# A capture cut short.
head -n 20 "$work/sim.capture" > "$work/cut.capture"
replay "$work/cut.capture" "$work/cut.txt" || fail "a capture cut short ends the probe abnormally"
grep -qx "libwnaspi32: $work/cut.capture: line 21: the capture is cut short: no end line" \
    "$work/cut.txt.err" || fail "cut capture's message: $(cat "$work/cut.txt.err")"
grep -q "^Drives found                0$" "$work/cut.txt" || fail "a cut capture still gave drives"

# A capture that cannot be written.
LD_LIBRARY_PATH="$library" "$probe" --capture "$work/no/such/folder.capture" \
    > "$work/unwritable.txt" 2>&1
rc=$?
[ $rc -eq 1 ] || fail "unwritable capture: exit status $rc"
grep -q "^quendra-probe: cannot write the capture $work/no/such/folder.capture: " \
    "$work/unwritable.txt" || fail "unwritable capture: $(cat "$work/unwritable.txt")"
grep -q "Drives found" "$work/unwritable.txt" && fail "the drives were probed all the same"

[ $failures -eq 0 ] && echo "capture and replay: same drive output for the simulated and the emulated drives"
exit $((failures != 0))
