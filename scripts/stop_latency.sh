#!/bin/bash
# Prints how soon a Stop pressed during the integration is acted on in the real windows under Xvfb (see
# bench/stop_latency.cpp): each press and the median. Builds a Release tree in build-gui-rate (or
# $BUILD_DIR); PRESSES sets the number of presses (default 9).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"
build=${BUILD_DIR:-$root/build-gui-rate}
build_release "$build" stop_latency
private_runtime_dir
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
under_xvfb "$build/bench/stop_latency" "${PRESSES:-9}"
