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

# The program in a build tree.
bhsim_binary() {
  local candidate
  for candidate in "$1/bhsim" "$1/src/bhsim"; do
    [ -x "$candidate" ] && { echo "$candidate"; return 0; }
  done
  echo "no bhsim in $1" >&2
  return 1
}

# A private runtime directory for Qt, which warns when there is none.
private_runtime_dir() {
  XDG_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
}

# The id of the window with exactly this title, waiting up to ten seconds for it.
find_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window titled $1" >&2
  return 1
}

# A left click at pixel (x, y) of a window's drawing area.
#   click_at <window> <x> <y>
click_at() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}

# Replaces the text of the field at (x, y) by typing.
#   type_at <window> <x> <y> <text>
type_at() {
  click_at "$1" "$2" "$3"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 20 "$4"
  sleep 0.2
}

# Where the controls are: their twips geometry / 15, in the middle.
CONTROL_START_X=36
CONTROL_START_Y=32
CONTROL_END_X=100
CONTROL_END_Y=32
CONTROL_NBH_X=184
CONTROL_NBH_Y=36
CONTROL_MAXCOUNT_X=96
CONTROL_MAXCOUNT_Y=64
# The "Start" button's rectangle: WIDTHxHEIGHT+LEFT+TOP.
CONTROL_START_RECT=57x33+8+16

# Saves what the "Start" button's rectangle of the control window shows.
#   grab_start_button <window> <file>
grab_start_button() {
  import -window "$1" -crop "$CONTROL_START_RECT" +repage "$2" 2>/dev/null
}

# Waits (up to `seconds`) until the "Start" button shows again with a caption other than the one in
# `before`: after "Cont" it is hidden while the run integrates and comes back as "Next".
#   wait_for_next <window> <before.png> <seconds>
wait_for_next() {
  local now
  now=$(mktemp --suffix .png)
  for _ in $(seq $(($3 * 10))); do
    grab_start_button "$1" "$now"
    local colours differing
    colours=$(convert "$now" -format %k info:)
    differing=$(compare -metric AE "$2" "$now" null: 2>&1 || true)
    if [ "$colours" -gt 1 ] && [ "${differing%% *}" != 0 ]; then
      rm -f "$now"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$now"
  echo "the run did not come to \"Next\" within $3 s" >&2
  return 1
}
