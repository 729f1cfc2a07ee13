#!/bin/bash
# Measures the processor time the program uses while it waits: in the "Cont" pause and at the "Next" end
# wait, each over 5 seconds, in the real windows under Xvfb. Prints the share of one core.
# Usage: scripts/wait_cpu.sh [build dir]   (default: build); SHOT=prefix also saves a screenshot of each
# state, to check that the clicks reached it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/gui_common.sh"
if [ "${1:-}" != --inside ]; then
  bhsim=$(bhsim_binary "${1:-$root/build}")
  private_runtime_dir
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
  under_xvfb bash "$0" --inside "$bhsim"
  exit
fi
bhsim=$2

# Processor ticks (user and system) the process has used so far.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Share of one core used by process $1 over $2 seconds.
share() {
  local before after
  before=$(ticks "$1")
  sleep "$2"
  after=$(ticks "$1")
  awk -v b="$before" -v a="$after" -v s="$2" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.2f %%", 100 * (a - b) / hz / s }'
}

measure() {
  "$bhsim" &
  local pid=$!
  local control
  control=$(find_window "Control Form")
  sleep 1
  click_at "$control" $CONTROL_NBH_X $CONTROL_NBH_Y           # two black holes
  type_at "$control" $CONTROL_MAXCOUNT_X $CONTROL_MAXCOUNT_Y 2000
  click_at "$control" $CONTROL_START_X $CONTROL_START_Y       # "Start": the pause shows "Cont"
  sleep 1
  echo "pause (\"Cont\"), 5 s:    $(share "$pid" 5) of a core"
  [ -n "${SHOT:-}" ] && import -window root "$SHOT-pause.png"
  click_at "$control" $CONTROL_START_X $CONTROL_START_Y       # "Cont": a short run, then "Next"
  sleep 2
  echo "end wait (\"Next\"), 5 s: $(share "$pid" 5) of a core"
  [ -n "${SHOT:-}" ] && import -window root "$SHOT-next.png"
  click_at "$control" $CONTROL_END_X $CONTROL_END_Y           # "End"
  wait "$pid"
}

measure
