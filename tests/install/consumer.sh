#!/usr/bin/env bash
# Builds the embedding example against an installed package and runs it.
#
#     tests/install/consumer.sh cmake|pkg-config PREFIX WORK_DIR [EXAMPLE_DIR]
#
# "cmake" configures examples/embed as a project of its own that finds the
# package with find_package; "pkg-config" compiles the same source with the
# flags of vxdatatypes.pc. PREFIX is an install prefix or an unpacked package.
set -euo pipefail
mode=$1
prefix=$(cd "$2" && pwd)
work=$3
example=${4:-$(cd "$(dirname "$0")/../../examples/embed" && pwd)}
cxx=${CXX:-c++}

rm -rf "$work/$mode"
mkdir -p "$work/$mode"
case $mode in
cmake)
  cmake -S "$example" -B "$work/cmake" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >"$work/cmake.log" || { cat "$work/cmake.log"; exit 1; }
  cmake --build "$work/cmake" >>"$work/cmake.log" || { cat "$work/cmake.log"; exit 1; }
  ;;
pkg-config)
  pc=$(find "$prefix" -name vxdatatypes.pc -print -quit)
  [[ -n $pc ]] || { echo "no vxdatatypes.pc under $prefix"; exit 1; }
  flags=$(PKG_CONFIG_PATH=$(dirname "$pc") pkg-config --cflags --libs vxdatatypes)
  # shellcheck disable=SC2086 # the flags are words
  "$cxx" -std=c++20 -O1 "$example/embed.cpp" $flags -o "$work/pkg-config/vx_embed"
  ;;
*)
  echo "usage: $0 cmake|pkg-config PREFIX WORK_DIR [EXAMPLE_DIR]" >&2
  exit 2
  ;;
esac
"$work/$mode/vx_embed"
