#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Runs apt-get only when a package is missing; never prompts. nginx-light and tinyproxy are
# test servers: the tests start them as ordinary processes with their own configuration.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libboost-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  nginx-light tinyproxy curl openssl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update -o DPkg::Lock::Timeout=600
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
  -o DPkg::Lock::Timeout=600 "${missing[@]}"
