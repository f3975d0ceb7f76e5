#!/usr/bin/env bash
# Builds the Debian package of the library (cpack -G DEB) in the folder given
# (default: build), unpacks it into a temporary folder and builds and runs the
# embedding example against what it holds, through find_package and through
# pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_dir=${1:-build}

scripts/setup.sh "$build_dir"
(cd "$build_dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build_dir"/vxdatatypes_*.deb | head -1)
echo "package: $deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
for mode in cmake pkg-config; do
  echo "consumer through $mode:"
  tests/install/consumer.sh "$mode" "$work/root/usr" "$work" "$root/examples/embed"
done
