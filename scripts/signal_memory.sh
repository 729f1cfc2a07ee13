#!/bin/bash
# Prints the program's resident memory after 10^6 and 10^9 steps of a run without end (two black holes
# without mass change, "n rev" and "Total time" 0) in the real windows under Xvfb with the Signal window
# open, and the growth between the two. Builds a Release tree in build-gui-rate (or $BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"
build=${BUILD_DIR:-$root/build-gui-rate}
build_release "$build" signal_memory
private_runtime_dir
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
under_xvfb "$build/bench/signal_memory" 1000000 1000000000 | awk '
  { printf "after %d steps: %.1f MB resident\n", $1, $2 / 1024; kb[NR] = $2 }
  END { if (NR == 2) printf "growth: %.1f MB\n", (kb[2] - kb[1]) / 1024 }'
