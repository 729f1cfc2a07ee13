#!/bin/bash
# Shows the windows on a screen scaled twice (QT_SCALE_FACTOR=2 under Xvfb) after the default two-black-hole
# run, saves both windows as hidpi-control.png and hidpi-display.png in a new folder (or $OUT_DIR), checks
# that each window is twice its design size in screen pixels and that every pixel of the drawing area is
# a uniform 2 x 2 block. Exit status 0 when it is. Builds a Release tree in build-screenshot (or
# $BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"
rerun_under_xvfb "$0" "$@"
out=${OUT_DIR:-$(mktemp -d)}
echo "screenshots in $out"
private_runtime_dir
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
QT_SCALE_FACTOR=2 "$2" &
pid=$!
control=$(find_window "Control Form")
display=$(find_window "Display Form")
# Screen pixels: every design position doubled.
twice() { echo $(($1 * 2)); }
start_rect=114x66+16+32
wait_shown "$control" 66x50+336+48 /nonexistent 10                                   # "# BH"
click_and_wait "$control" "$(twice $CONTROL_NBH_X)" "$(twice $CONTROL_NBH_Y)" 66x50+336+48
click_and_wait "$control" "$(twice $CONTROL_START_X)" "$(twice $CONTROL_START_Y)" $start_rect
click_and_wait "$control" "$(twice $CONTROL_START_X)" "$(twice $CONTROL_START_Y)" $start_rect 60
wait_colour "$display" '#FF0000'
import -window "$control" "$out/hidpi-control.png"
import -window "$display" "$out/hidpi-display.png"
click_at "$control" "$(twice $CONTROL_END_X)" "$(twice $CONTROL_END_Y)"
wait_exit "$pid" 10

size() { identify -format '%wx%h' "$1"; }
echo "control window: $(size "$out/hidpi-control.png") (design 335x312), display: $(size "$out/hidpi-display.png") (design 150x200)"
[ "$(size "$out/hidpi-control.png")" = 670x624 ] && [ "$(size "$out/hidpi-display.png")" = 300x400 ] || exit 1
blocks=$(convert "$out/hidpi-display.png" -sample 50% -sample 200% png:- |
  compare -metric AE "$out/hidpi-display.png" - null: 2>&1 || true)
echo "display pixels differing from their 2 x 2 block: $blocks"
[ "$blocks" = 0 ]
