#!/usr/bin/env bash
# Builds everything and runs the host console on the bundled tour.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
# The tour shows refused values too, so the console ends with status 1 (some
# statement raised an error); anything else is a real failure.
status=0
build/vxhost examples/tour.vx || status=$?
[ "$status" -le 1 ] || exit "$status"
