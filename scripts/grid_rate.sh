#!/bin/bash
# Prints the throughput of a short grid: a 1,000-point grid of two black holes at 1,000 steps a
# revolution on one thread (bhsim --batch --bh 2 Tmaxcount=1000 --sweep TBH2=1:1000:1 --jobs 1), written
# to a table in a scratch folder under the current folder (so on its file system). With several
# programs the runs take turns, so that a busy machine weighs on each alike. Prints each run's wall and
# processor time, then per program the median points per second of processor time and of wall time.
#   grid_rate.sh [-n RUNS] [BHSIM...]     (defaults: 7 runs of build/bhsim of this tree)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=7
if [ "${1:-}" = -n ]; then runs=$2; shift 2; fi
[ $# -gt 0 ] || set -- "$root/build/bhsim"
programs=()
for p in "$@"; do programs+=("$(realpath -e "$p")"); done
work=$(mktemp -d "$PWD/grid_rate.XXXXXX")
trap 'rm -rf "$work"' EXIT
declare -A cpu_rates wall_rates
for ((i = 1; i <= runs; i++)); do
  for p in "${programs[@]}"; do
    rm -f "$work"/out.csv*
    TIMEFORMAT='%3R %3U %3S'  # wall, user and system seconds, to the millisecond
    read -r wall user system < <( { time "$p" --batch --bh 2 Tmaxcount=1000 --sweep TBH2=1:1000:1 --jobs 1 \
        --quiet --table "$work/out.csv" >/dev/null 2>&1; } 2>&1)
    cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.0f", 1000 / (u + s) }')
    rate=$(awk -v w="$wall" 'BEGIN { printf "%.0f", 1000 / w }')
    cpu_rates[$p]+="$cpu " wall_rates[$p]+="$rate "
    echo "run $i, $p: $wall s wall, $user s user, $system s system"
  done
done
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
for p in "${programs[@]}"; do
  echo "$p: median $(median "${cpu_rates[$p]}") points/s of processor time," \
       "$(median "${wall_rates[$p]}") points/s of wall time ($runs runs)"
done
