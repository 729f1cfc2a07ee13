#!/bin/bash
# Regenerates docs/screenshot.png: both windows at the end of a three-black-hole run (the "Next" wait),
# taken under Xvfb. Builds a Release tree in build-screenshot (or $BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"

rerun_under_xvfb "$0" "$@"
start_windows "$2"

click_and_wait "$control" $CONTROL_NBH_X $CONTROL_NBH_Y $CONTROL_NBH_RECT
sleep 0.5                                                                          # not a double click
click_and_wait "$control" $CONTROL_NBH_X $CONTROL_NBH_Y $CONTROL_NBH_RECT          # three black holes
type_and_wait "$control" $CONTROL_MAXCOUNT_X $CONTROL_MAXCOUNT_Y $CONTROL_MAXCOUNT_RECT 20000  # a quick sweep
click_and_wait "$control" $CONTROL_START_X $CONTROL_START_Y $CONTROL_START_RECT    # "Start"
click_and_wait "$control" $CONTROL_START_X $CONTROL_START_Y $CONTROL_START_RECT 300  # "Cont", until "Next"
xdotool mousemove 0 767
sleep 0.5

save_windows "$root/docs/screenshot.png" "$control" "$display"

click_at "$control" $CONTROL_END_X $CONTROL_END_Y                 # "End"
wait_exit "$pid" 10
echo "wrote $root/docs/screenshot.png"
