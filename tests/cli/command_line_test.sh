#!/usr/bin/env bash
# The command lines of quendra-probe and the window: --help and --version on standard
# output with exit 0, and usage errors as one line naming the argument, the hint and exit 2.
# The window answers them without a display.
#
# usage: command_line_test.sh QUENDRA_PROBE [QUENDRA]
set -uo pipefail

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run NAME ARGS...: sets out, err and rc; no display and no Qt platform in the environment.
run() {
    local program=$1
    shift
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" 2>"$tmp/err")
    rc=$?
    err=$(cat "$tmp/err")
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

check() {  # PROGRAM NAME
    local program=$1 name=$2
    run "$program" --help
    [ $rc -eq 0 ] && [ -z "$err" ] || fail "$name --help: rc=$rc err=$err"
    grep -q "^usage: $name " <<<"$out" || fail "$name --help: $out"
    grep -q -- "--version" <<<"$out" || fail "$name --help lacks --version: $out"

    run "$program" --version
    [ $rc -eq 0 ] && [ -z "$err" ] && [ "$out" = "$name 1.0.0.0" ] ||
        fail "$name --version: rc=$rc out=$out err=$err"

    run "$program" --no-such-option
    [ $rc -eq 2 ] && [ -z "$out" ] || fail "$name --no-such-option: rc=$rc out=$out"
    [ "$err" = "$name: unknown option '--no-such-option'
Try '$name --help'." ] || fail "$name --no-such-option: $err"
}

check "$1" quendra-probe
run "$1" --lookup
[ $rc -eq 2 ] && grep -q "needs a value" <<<"$err" || fail "quendra-probe --lookup: rc=$rc $err"
run "$1" --lookup x
[ $rc -eq 2 ] && grep -q "not a drive number: 'x'" <<<"$err" || fail "--lookup x: rc=$rc $err"
run "$1" --capture
[ $rc -eq 2 ] && grep -q "needs a value" <<<"$err" || fail "quendra-probe --capture: rc=$rc $err"
run "$1" --capture=
[ $rc -eq 2 ] && grep -q "needs a file name" <<<"$err" || fail "--capture=: rc=$rc $err"
run "$1" --capture "$tmp/c" --lookup 0
[ $rc -eq 2 ] && grep -q "cannot be combined" <<<"$err" && [ ! -e "$tmp/c" ] ||
    fail "--capture with --lookup: rc=$rc $err"
run "$1" extra
[ $rc -eq 2 ] && grep -q "unexpected argument 'extra'" <<<"$err" || fail "extra: rc=$rc $err"

if [ -n "${2:-}" ]; then
    check "$2" quendra
    # The restart parameter of an update is the window's own argument, not an option.
    run "$2" /afterupgrade --version
    [ $rc -eq 0 ] && [ "$out" = "quendra 1.0.0.0" ] || fail "quendra /afterupgrade: rc=$rc $out"
    run "$2" /afterupgrade -platform
    [ $rc -eq 2 ] && grep -q "unknown option '-platform'" <<<"$err" || fail "-platform: rc=$rc"
fi

[ $failures -eq 0 ] && echo "command lines: as expected"
exit $((failures != 0))
