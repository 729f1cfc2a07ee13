# shellcheck shell=bash
# Sourced by the cluster tests, whose first argument is the bhsim binary: the grid they sweep, and
# check_sweep, which runs it through one of the sweep scripts.
name=$(basename "$0" .sh)
bhsim=$(realpath -e "${1:?usage: $0 path/to/bhsim}") || exit 1
root=$(cd "$(dirname "$0")/../.." && pwd)
started=$(date +%s%N)
work=$(mktemp -d)
chmod 755 "$work"  # the munge user reaches a local cluster in it
# shellcheck disable=SC2054  # Tdm1=0,5 is one word
grid=(--bh 2 Tmaxcount=1000 --refresh-every 1000 --sweep TBH2=10:40:10 --sweep Tdm1=0,5)

fail() { echo "$name: $*" >&2; exit 1; }
elapsed() { echo "$((($(date +%s%N) - started) / 1000000)) ms"; }

# check_sweep SCRIPT [OPTION...]: SCRIPT -n 4 must write the table one process writes, byte for byte;
# with a shard that fails, it must exit with status 1 and write no table.
check_sweep() {
  timeout 60 "$bhsim" --batch "${grid[@]}" --quiet --table "$work/single.csv" || fail "the single run failed"
  [ "$(wc -l < "$work/single.csv")" -gt 1 ] || fail "the single run's table has no rows"
  timeout 60 "$@" -n 4 -o "$work/merged.csv" -b "$bhsim" -- "${grid[@]}" || fail "$(basename "$1") failed"
  cmp "$work/single.csv" "$work/merged.csv" || fail "the merged table differs from the single run's"

  echo "$name: shard 3 of 4 fails on purpose now"
  printf '#!/bin/bash\n[[ " $* " == *" 3/4 "* ]] && exit 1\nexec %q "$@"\n' "$bhsim" > "$work/failing"
  chmod +x "$work/failing"
  timeout 60 "$@" -n 4 -o "$work/failed.csv" -b "$work/failing" -- "${grid[@]}"
  local status=$?
  [ "$status" = 1 ] || fail "with shard 3 failing, $(basename "$1") exited with $status instead of 1"
  [ ! -e "$work/failed.csv" ] || fail "with shard 3 failing, a merged table was still written"
}
