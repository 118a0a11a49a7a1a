#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with, and fills the
# cache of the emulated-drive harness (a Debian kernel it boots under QEMU), so that the
# tests never download anything. Runs apt-get only when something is missing; never prompts.
# nginx-light and tinyproxy are test servers: the tests start them as ordinary processes with
# their own configuration. clang and its compiler runtime build the fuzz targets.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libboost-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev wrk python3-jsonschema
  fonts-dejavu-core
  qemu-system-x86 busybox-static sg3-utils xorriso xz-utils gzip
  nginx-light tinyproxy curl openssl
  librsvg2-bin desktop-file-utils appstream lintian man-db dpkg-dev fakeroot file
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -ne 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -o DPkg::Lock::Timeout=600
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi

# As the calling user: the cache lives in that user's ~/.cache/qemu-drive (or $QD_CACHE),
# where the test run looks for it. Quick when the cache is already filled.
bash "$(dirname "$0")/../tests/qemu/qemu-drive/qemu-drive.sh" --prepare
