#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every test (the emulated-drive test under QEMU included), runs the threaded tests
# again under ThreadSanitizer, compiles the release build the run command uses and checks
# what it installs and the Debian package made of it, and runs each fuzz target (clang,
# libFuzzer) over its seed corpus and for a few seconds more.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENDRA_SANITIZE=ON
cmake --build build/asan -j2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
# The set-up above installed QEMU and prepared its kernel: the emulated-drive test must run.
export QUENDRA_REQUIRE_QEMU=1
# The transfer tests start real nginx and tinyproxy processes; here a missing one fails.
export QUENDRA_REQUIRE_SERVERS=1
ctest --test-dir build/asan -j2 --output-on-failure

# The threaded tests (worker threads, hand-offs, network clients, the service) under ThreadSanitizer.
tsan_targets=(update_tests net_tests service_server_tests)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENDRA_TSAN=ON -DQUENDRA_BUILD_APP=OFF
cmake --build build/tsan -j2 --target "${tsan_targets[@]}"
TSAN_OPTIONS="halt_on_error=1${TSAN_OPTIONS:+:$TSAN_OPTIONS}" \
  ctest --test-dir build/tsan -j2 --output-on-failure -L tsan

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDRA_BUILD_TESTS=OFF \
  -DQUENDRA_PACKAGE_TESTS=ON
cmake --build build/release -j2
ctest --test-dir build/release -j2 --output-on-failure

# Every fuzz target over its seed corpus (crash inputs found earlier included), then 5 s of
# fuzzing each: a target that no longer builds or runs fails here.
bash scripts/fuzz.sh 5s
echo "test: all tests passed; release build compiled, installed and packaged; fuzz targets ran clean"
