# Sourced by the packaging tests: a private temporary folder ($tmp, removed on exit),
# fail MESSAGE to record a failed check and go on, and finish SUMMARY to end with the result.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
    [ $failures -eq 0 ] && echo "$1: as expected"
    exit $((failures != 0))
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
