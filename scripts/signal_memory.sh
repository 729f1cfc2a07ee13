#!/bin/bash
# Prints the program's resident memory after 10^6 and 10^9 steps of a run without end (two black holes
# without mass change, "n rev" and "Total time" 0) in the real windows under Xvfb with the Signal window
# open, and the growth between the two; and the step rate between the two against the batch mode's rate
# for the same 10^9 steps. With --closed the Signal window stays closed (for comparison). Builds a Release tree in build-gui-rate (or $BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"
build=${BUILD_DIR:-$root/build-gui-rate}
build_release "$build" bhsim signal_memory
closed=()
[ "${1:-}" = --closed ] && closed=(--closed)
private_runtime_dir
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
under_xvfb "$build/bench/signal_memory" "${closed[@]}" 1000000 1000000000 | awk '
  $1 == "redraw" { printf "one redraw of the Signal window: %.2f ms (%.1f %% of a core at 4 a second)\n", $2, $2 * 0.4; next }
  { n++; printf "after %d steps: %.1f MB resident\n", $1, $2 / 1024; kb[n] = $2; steps[n] = $1; s[n] = $3 }
  END { if (n == 2) printf "growth: %.1f MB\nwindows: %.2f M steps/s\n", (kb[2] - kb[1]) / 1024,
                            (steps[2] - steps[1]) / (s[2] - s[1]) / 1e6 }'
start=$(date +%s.%N)
"$(bhsim_binary "$build")" --batch --bh 2 Tnrev=0 Ttotaltime=0 Tdm1=0 Tdm2=0 --max-steps 1000000000 --quiet
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" 'BEGIN { printf "batch mode, same run: %.2f M steps/s\n", 1e9 / (e - s) / 1e6 }'
