#!/bin/bash
# The real program under a virtual X server, played with the mouse and the keyboard: a small
# two-black-hole run, each step taken once the last one shows on the screen. Checks that the display
# shows the paths, that "End" ends the program with status 0, and that it printed nothing.
#
#   smoke_test.sh path/to/bhsim
set -u
source "$(dirname "$0")/../../scripts/gui_common.sh"
[ "${1:-}" = --inside ] || { under_xvfb "$0" --inside "$@"; exit; }
display_ready
private_runtime_dir
output=$(mktemp)
trap 'rm -rf "$output" "$XDG_RUNTIME_DIR"' EXIT
"$2" >"$output" 2>&1 &
pid=$!
fail() { echo "smoke test: $*" >&2; cat "$output" >&2; kill "$pid" 2>/dev/null; exit 1; }
control=$(find_window "Control Form") && wait_drawn "$control" && display=$(find_window "Display Form") ||
  fail "no windows"
click_and_wait "$control" $CONTROL_NBH_X $CONTROL_NBH_Y $CONTROL_NBH_RECT || fail "# BH did not step"
type_and_wait "$control" $CONTROL_MAXCOUNT_X $CONTROL_MAXCOUNT_Y $CONTROL_MAXCOUNT_RECT 20000 || fail "no Max count"
click_and_wait "$control" $CONTROL_START_X $CONTROL_START_Y $CONTROL_START_RECT || fail "Start did not pause"
# "Cont": the button is hidden while the run integrates 7 revolutions, and comes back as "Next".
click_and_wait "$control" $CONTROL_START_X $CONTROL_START_Y $CONTROL_START_RECT 60 || fail "no Next"
for colour in '#FF0000' '#000000' '#000080'; do wait_colour "$display" "$colour" || fail "no $colour shown"; done
click_at "$control" $CONTROL_END_X $CONTROL_END_Y
wait_exit "$pid" 10 || fail "exit status $? after End"
[ -s "$output" ] && fail "the program printed something"
echo "smoke test passed"
