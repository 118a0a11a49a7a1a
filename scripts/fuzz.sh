#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer)
# in build/fuzz and runs each, one after the other, for the given minutes (a decimal number,
# default 1; "<N>s" for seconds), starting from its seed corpus in fuzz/corpus/<target>/.
# Prints one line per target: executions, coverage (libFuzzer's final "cov:" count) and
# findings. Findings (crash, leak, timeout and out-of-memory inputs) are kept in
# build/fuzz/findings/<target>/; the exit status is 1 when there is any.
#
#   bash scripts/fuzz.sh [minutes | <seconds>s]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: scripts/fuzz.sh [minutes | <seconds>s]" >&2; exit 2; }
case "${1:-}" in
  -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
esac
[ $# -le 1 ] || usage
duration="${1:-1}"
if [[ "$duration" =~ ^[0-9]+s$ ]]; then
  seconds="${duration%s}"
elif [[ "$duration" =~ ^[0-9]+(\.[0-9]+)?$ ]]; then
  seconds=$(awk -v m="$duration" 'BEGIN { print int(m * 60 + 0.5) }')
else
  usage
fi
[ "$seconds" -ge 1 ] || usage

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENDRA_FUZZ=ON >&2
targets=()
for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
cmake --build build/fuzz -j2 --target "${targets[@]/#/fuzz_}" >&2

export ASAN_OPTIONS="detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
found_any=0
rows=()
for target in "${targets[@]}"; do
  work="build/fuzz/work/$target"         # new inputs of this machine's runs
  findings="build/fuzz/findings/$target"  # inputs that failed
  log="build/fuzz/logs/$target.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  before=$(find "$findings" -type f | wc -l)
  # Seed inputs run first, then fuzzing until the time is up. A failure ends the run early.
  status=0
  build/fuzz/fuzz/"fuzz_$target" "$work" "fuzz/corpus/$target" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
    > "$log" 2>&1 || status=$?
  after=$(find "$findings" -type f | wc -l)
  new=$((after - before))
  if [ "$status" -ne 0 ] && [ "$new" -eq 0 ]; then new=1; fi  # failed without an artifact
  executions=$(awk '/stat::number_of_executed_units/ { print $NF }' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{ print $2 }')
  rows+=("$(printf '%-16s %12s %9s %9s' "$target" "${executions:-0}" "${coverage:-0}" "$new")")
  if [ "$new" -ne 0 ]; then
    found_any=1
    echo "fuzz: $target failed; see $log and $findings/" >&2
    grep -m1 -A12 -E '^==[0-9]+==ERROR|runtime error|deadly signal' "$log" >&2 || tail -20 "$log" >&2
  fi
done

printf '%-16s %12s %9s %9s\n' target executions coverage findings
printf '%s\n' "${rows[@]}"
echo "($seconds s per target)"
exit "$found_any"
