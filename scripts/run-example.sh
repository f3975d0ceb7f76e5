#!/usr/bin/env bash
# Builds everything and runs the host console on the bundled tour.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
build/vxhost examples/tour.vx
