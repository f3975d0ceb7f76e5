#!/usr/bin/env bash
# Installs what the build needs on a fresh Debian machine (as root), then
# configures and builds the project in the folder given (default: build).
# Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true

packages=(cmake ninja-build g++ libboost-dev libgtest-dev libgmock-dev libbenchmark-dev libreadline-dev
          pkg-config dpkg-dev binutils tao-pegtl-dev nlohmann-json3-dev
          clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q "${missing[@]}" >/dev/null 2>&1 || {
    apt-get update -q >/dev/null
    apt-get install -y -q "${missing[@]}" >/dev/null
  }
fi

cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
ninja -C "$build_dir"
