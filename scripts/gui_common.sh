# Helpers for the scripts that drive the real program's windows under Xvfb. Source it; it sets nothing
# up by itself.

# Builds the given targets in a Release tree with the compiler flags of CXXFLAGS added.
#   build_release <build dir> <target>...
build_release() {
  local build=$1
  shift
  cmake -S "$(dirname "${BASH_SOURCE[0]}")/.." -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DBHSIM_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="${CXXFLAGS:-}" >/dev/null
  cmake --build "$build" -j2 --target "$@" >/dev/null
}

# Runs a command under a virtual X server of its own. The server number is drawn at random: scripts
# that other users of the machine start at the same moment would otherwise race for the same one.
#   under_xvfb <command> [arguments...]
# A server that does not come up (another one took its number at the same moment, or it died starting on
# a loaded machine) is no fault of the program: the command, which says so by exiting with status 75
# (display_ready), is run again under a new server, up to three times.
under_xvfb() {
  local attempt status
  for attempt in 1 2 3; do
    xvfb-run -a -n $((100 + RANDOM % 3000)) -s "-screen 0 1024x768x24" "$@"
    status=$?
    [ "$status" = 75 ] || return "$status"
    echo "the virtual X server did not answer (attempt $attempt); again under another" >&2
  done
  return "$status"
}

# Waits up to thirty seconds for the X server of DISPLAY to answer; exits with status 75 if it does not.
display_ready() {
  local i
  for i in $(seq 150); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  exit 75
}

# The program in a build tree.
bhsim_binary() {
  local candidate
  for candidate in "$1/bhsim" "$1/src/bhsim"; do
    [ -x "$candidate" ] && { echo "$candidate"; return 0; }
  done
  echo "no bhsim in $1" >&2
  return 1
}

# The first lines of a script that drives the windows: run outside a virtual X server (without --inside as
# its first argument), it builds a Release tree in build-screenshot (or $BUILD_DIR), runs the script again
# under Xvfb with "--inside BHSIM" and exits with that run's status.
#   rerun_under_xvfb "$0" "$@"
rerun_under_xvfb() {
  [ "${2:-}" = "--inside" ] && { display_ready; return 0; }
  local build=${BUILD_DIR:-$(dirname "${BASH_SOURCE[0]}")/../build-screenshot}
  build_release "$build" bhsim
  under_xvfb "$1" --inside "$(bhsim_binary "$build")"
  exit
}

# Starts the program with a private runtime folder and a scratch folder (both removed on exit) and waits
# for its windows: sets pid, work, control and display.
#   start_windows <bhsim>
start_windows() {
  private_runtime_dir
  work=$(mktemp -d)
  trap 'rm -rf "$work" "$XDG_RUNTIME_DIR"' EXIT
  "$1" &
  pid=$!
  control=$(find_window "Control Form")
  display=$(find_window "Display Form")
  wait_drawn "$control"
}

# Saves the windows as one PNG, on a grey ground, each at its place on the screen (uses $work).
#   save_windows <png> <window id>...
save_windows() {
  local png=$1 window canvas=(0 0) layers=()
  shift
  for window in "$@"; do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window "$window" "$work/$window.png"
    layers+=("$work/$window.png" -geometry "+$X+$Y" -composite)
    canvas=($((X + WIDTH > canvas[0] ? X + WIDTH : canvas[0])) $((Y + HEIGHT > canvas[1] ? Y + HEIGHT : canvas[1])))
  done
  mkdir -p "$(dirname "$png")"
  convert -size "${canvas[0]}x${canvas[1]}" xc:'#8c8c8c' "${layers[@]}" -define png:exclude-chunk=date,time "$png"
}

# A private runtime directory for Qt, which warns when there is none.
private_runtime_dir() {
  XDG_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
}

# The id of the window with exactly this title, waiting up to thirty seconds for it.
find_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window titled $1" >&2
  return 1
}

# A left click at pixel (x, y) of a window's drawing area. X delivers the program its input in order, so
# what follows is handled after the click; to act on the click's effect, wait for it (click_and_wait).
#   click_at <window> <x> <y>
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Replaces the text of the field at (x, y) by typing.
#   type_at <window> <x> <y> <text>
type_at() {
  click_at "$1" "$2" "$3"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$4"
}

# Where the controls are: their twips geometry / 15, in the middle, and their rectangles WIDTHxHEIGHT+LEFT+TOP.
CONTROL_START_X=36
CONTROL_START_Y=32
CONTROL_END_X=100
CONTROL_END_Y=32
CONTROL_NBH_X=184
CONTROL_NBH_Y=36
CONTROL_MAXCOUNT_X=100
CONTROL_MAXCOUNT_Y=68
CONTROL_START_RECT=57x33+8+16
CONTROL_NBH_RECT=33x25+168+24
CONTROL_MAXCOUNT_RECT=57x25+72+56

# Saves what a rectangle of a window says: inside its border (4 pixels), dark against light, so that
# hovering, pressing or focusing a control does not count as a change, only its text.
#   grab_rect <window> <rect> <file>
grab_rect() {
  import -window "$1" -crop "$2" +repage png:- 2>/dev/null |
    convert - -shave 4x4 -colorspace Gray -threshold 50% "$3" 2>/dev/null
}

# Waits (up to `seconds`) until the rectangle says something (dark on light) that differs from `before`
# (a file from grab_rect; a missing file differs from everything).
#   wait_shown <window> <rect> <before.png> <seconds>
wait_shown() {
  local now colours differing
  now=$(mktemp --suffix .png)
  for _ in $(seq $(($4 * 20))); do
    grab_rect "$1" "$2" "$now"
    colours=$(convert "$now" -format %k info: 2>/dev/null || echo 0)
    differing=1
    [ -f "$3" ] && differing=$(compare -metric AE "$3" "$now" null: 2>&1 || true)
    if [ "$colours" -gt 1 ] && [ "${differing%% *}" != 0 ]; then
      rm -f "$now"
      return 0
    fi
    sleep 0.05
  done
  rm -f "$now"
  echo "the rectangle $2 did not change within $4 s" >&2
  return 1
}

# Clicks at (x, y) and waits (up to `seconds`, default 10) until the rectangle shows the click's effect.
#   click_and_wait <window> <x> <y> <rect> [seconds]
click_and_wait() {
  local before
  before=$(mktemp --suffix .png)
  grab_rect "$1" "$4" "$before"
  click_at "$1" "$2" "$3"
  wait_shown "$1" "$4" "$before" "${5:-10}"
  local status=$?
  rm -f "$before"
  return $status
}

# Types into the field at (x, y) and waits until the field shows the new text.
#   type_and_wait <window> <x> <y> <rect> <text>
type_and_wait() {
  local before
  before=$(mktemp --suffix .png)
  grab_rect "$1" "$4" "$before"
  type_at "$1" "$2" "$3" "$5"
  wait_shown "$1" "$4" "$before" 10
  local status=$?
  rm -f "$before"
  return $status
}

# Waits until the window has been drawn: the "Start" button shows its caption.
#   wait_drawn <window>
wait_drawn() {
  wait_shown "$1" "$CONTROL_START_RECT" /nonexistent 10
}

# Whether the window shows a pixel of this colour (#RRGGBB), waiting up to five seconds for one.
#   wait_colour <window> <colour>
wait_colour() {
  local shot
  shot=$(mktemp --suffix .png)
  for _ in $(seq 100); do
    import -window "$1" "$shot" 2>/dev/null
    if convert "$shot" -format %c histogram:info:- 2>/dev/null | grep -qi "$2"; then
      rm -f "$shot"
      return 0
    fi
    sleep 0.05
  done
  rm -f "$shot"
  return 1
}

# Waits up to `seconds` for the process to end; then reaps it and returns its exit status (124 when it
# is still running).
#   wait_exit <pid> <seconds>
wait_exit() {
  for _ in $(seq $(($2 * 20))); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$1" 2>/dev/null && return 124
  wait "$1"
}
