#!/bin/bash
# Starts the real program under a virtual X server, runs a small two-black-hole run with the mouse and
# the keyboard, checks that the display window shows the paths, ends the program with "End" and checks
# that it exits with status 0 and prints nothing.
#
#   smoke_test.sh path/to/bhsim
set -u

if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$@"
fi
bhsim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() {
  echo "smoke test: $*" >&2
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  exit 1
}

# find_window: the id of the window with exactly this title, waiting up to ten seconds for it.
source "$(dirname "$0")/../../scripts/gui_common.sh"

# A left click at pixel (x, y) of the control window's drawing area.
click() {
  xdotool mousemove --window "$control" "$1" "$2" click 1
  sleep 0.3
}

# Replaces the text of the field at (x, y) by typing.
type_into() {
  click "$1" "$2"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$3"
  sleep 0.2
}

# Counts the pixels of one colour (#RRGGBB) in a screenshot of the display window.
count_colour() {
  convert "$work/display.png" -format %c histogram:info:- | grep -i "$1" | awk '{ sum += $1 } END { print sum + 0 }'
}

"$bhsim" >"$work/stdout" 2>"$work/stderr" &
pid=$!
control=$(find_window "Control Form") || fail "no window titled Control Form"
display=$(find_window "Display Form") || fail "no window titled Display Form"
sleep 0.5

# Control positions: twips / 15 from the control table, clicked in their middles.
click 184 36                  # "# BH": two black holes
type_into 96 64 20000         # "Max count"
click 36 32                   # "Start": the run builds its first configuration and waits
sleep 0.5
click 36 32                   # "Cont": integrate 7 revolutions

drawn=0
for _ in $(seq 100); do
  import -window "$display" "$work/display.png" 2>/dev/null
  if [ "$(count_colour '#FF0000')" -gt 0 ] && [ "$(count_colour '#000000')" -gt 0 ]; then
    drawn=1
    break
  fi
  sleep 0.2
done
[ "$drawn" = 1 ] || fail "the display shows no black and red paths"
[ "$(count_colour '#000080')" -gt 0 ] || fail "the display shows no centre-of-mass dot"
sleep 1                       # the run ends quickly and waits with "Next"

click 100 32                  # "End"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after End"
wait "$pid"
status=$?
pid=
[ "$status" = 0 ] || fail "exit status $status"
if [ -s "$work/stderr" ] || [ -s "$work/stdout" ]; then
  cat "$work/stdout" "$work/stderr" >&2
  fail "the program printed something"
fi
echo "smoke test passed"
