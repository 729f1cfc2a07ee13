#!/bin/bash
# Regenerates docs/signal_screenshot.png: the three windows at the end of the default two-black-hole run
# (the "Next" wait), the Signal window opened from the display window (Ctrl+G) before the run, taken
# under Xvfb. Builds a Release tree in build-screenshot (or $BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"

rerun_under_xvfb "$0" "$@"
start_windows "$2"

click_and_wait "$control" $CONTROL_NBH_X $CONTROL_NBH_Y $CONTROL_NBH_RECT          # two black holes
xdotool mousemove --window "$display" 20 20 click 1 key --clearmodifiers ctrl+g  # "Show Signal"
signal=$(find_window "Signal")
click_and_wait "$control" $CONTROL_START_X $CONTROL_START_Y $CONTROL_START_RECT    # "Start"
click_and_wait "$control" $CONTROL_START_X $CONTROL_START_Y $CONTROL_START_RECT 300  # "Cont", until "Next"
xdotool mousemove 0 767
sleep 0.5  # the Signal window redraws every 0.1 s

save_windows "$root/docs/signal_screenshot.png" "$control" "$display" "$signal"

click_at "$control" $CONTROL_END_X $CONTROL_END_Y                 # "End"
wait_exit "$pid" 10
echo "wrote $root/docs/signal_screenshot.png"
