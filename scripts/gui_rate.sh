#!/bin/bash
# Prints the integration rate of the default two-black-hole run (7 revolutions at Max count 1000000) in
# the real windows under Xvfb and in batch mode, and their ratio. The windows' rate comes from gui_rate
# (bench/), which times the integration inside the program from "Stop" to "Next" and also runs it on a
# headless platform in the same process. The batch run is timed from outside, best of $REPEATS; the time
# of a run of a few hundred steps (start-up and output) is taken off. Builds a Release tree in
# build-gui-rate (or $BUILD_DIR). With --signal the Signal window is open while the windows' run
# integrates.
#   scripts/gui_rate.sh [--signal]
set -euo pipefail
signal=()
[ "${1:-}" = --signal ] && signal=(--signal)
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"
repeats=${REPEATS:-5}
build=${BUILD_DIR:-$root/build-gui-rate}
build_release "$build" bhsim gui_rate
bhsim=$(bhsim_binary "$build")
gui_rate=$build/bench/gui_rate

# Best wall time of `repeats` runs of the batch mode with these arguments; prints "seconds steps".
time_batch() {
  local best="" steps="" out start end
  out=$(mktemp)
  for _ in $(seq "$repeats"); do
    start=$(date +%s.%N)
    "$bhsim" --batch --bh 2 --json - "$@" >"$out"
    end=$(date +%s.%N)
    steps=$(grep -o '"steps": [0-9]*' "$out" | tail -1 | grep -o '[0-9]*$')
    best=$(awk -v a="$best" -v b="$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')" \
      'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  rm -f "$out"
  echo "$best $steps"
}

private_runtime_dir
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
window_json=$(under_xvfb "$gui_rate" "$repeats" "${signal[@]}")
read -r batch_seconds batch_steps < <(time_batch)
read -r startup_seconds _ < <(time_batch Tmaxcount=100 Tnrev=1)

field() { echo "$window_json" | grep "\"$1\"" | grep -o "\"$2\": [0-9.]*" | grep -o '[0-9.]*$'; }
awk -v ws="$(field window steps)" -v wt="$(field window seconds)" \
    -v hs="$(field headless steps)" -v ht="$(field headless seconds)" \
    -v bs="$batch_steps" -v bt="$batch_seconds" -v st="$startup_seconds" 'BEGIN {
  window = ws / wt; headless = hs / ht; batch = bs / (bt - st); batch_raw = bs / bt
  printf "window (Xvfb):      %d steps in %.4f s: %.2f M steps/s\n", ws, wt, window / 1e6
  printf "headless, same run: %d steps in %.4f s: %.2f M steps/s\n", hs, ht, headless / 1e6
  printf "batch mode:         %d steps in %.4f s less %.4f s start-up: %.2f M steps/s (%.2f with start-up)\n",
         bs, bt, st, batch / 1e6, batch_raw / 1e6
  printf "window / batch:     %.1f %%\n", 100 * window / batch
  printf "window / headless:  %.1f %%\n", 100 * window / headless
  if (ws != bs) printf "note: the window run made %d steps, the batch run %d\n", ws, bs
}'
