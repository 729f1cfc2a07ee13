#!/bin/bash
# Starts a throwaway one-node Slurm cluster (scripts/cluster/local_slurm.sh), sweeps a small grid as a
# 4-task job array and a merge job with scripts/cluster/slurm_sweep.sh --wait and compares the merged
# table with a single run's; a failing shard must fail the sweep. The cluster is stopped whatever
# happens, and its daemons must then be gone. Prints the time from start to stop.
#   slurm_test.sh path/to/bhsim
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/common.sh"
cluster=$work/cluster

finish() {
  local status=$? pids pid
  pids=$(cat "$cluster/munge/munged.pid" "$cluster"/slurm/*.pid 2>/dev/null)
  "$root/scripts/cluster/local_slurm.sh" stop "$cluster" || status=1
  for pid in $pids; do
    kill -0 "$pid" 2>/dev/null && { echo "$name: daemon $pid still runs after stop" >&2; status=1; }
  done
  rm -rf "$work"
  [ "$status" = 0 ] && echo "$name: passed in $(elapsed), cluster start to stop"
  exit "$status"
}
trap finish EXIT
trap 'exit 1' INT TERM

for cmd in munged slurmctld slurmd sbatch; do
  command -v "$cmd" >/dev/null || fail "$cmd is missing: make deps installs slurm-wlm and munge"
done
env_line=$("$root/scripts/cluster/local_slurm.sh" start "$cluster") || fail "the local cluster did not start"
eval "$env_line"
check_sweep "$root/scripts/cluster/slurm_sweep.sh" --wait
