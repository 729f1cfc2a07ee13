#!/bin/bash
# Starts a throwaway one-node Slurm cluster (scripts/cluster/local_slurm.sh), sweeps a small grid as a
# 4-task job array and a merge job with scripts/cluster/slurm_sweep.sh --wait and compares the merged
# table with a single run's; a failing shard must fail the sweep; a shard requeued mid-run must go on
# from its journal, to the same merged table. The cluster is stopped whatever happens, and its daemons
# must then be gone. Prints the time from start to stop.
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

# A shard requeued mid-run (scontrol requeue: Slurm stops it with SIGTERM and queues it again) goes on
# from its journal, and the merged table is still one process's.
long=(--bh 2 Tmaxcount=50000 --refresh-every 1000 --sweep TBH2=1:300:1)
timeout 60 "$bhsim" --batch "${long[@]}" --jobs 2 --quiet --table "$work/long.csv" || fail "the long run failed"
"$root/scripts/cluster/slurm_sweep.sh" -n 2 -o "$work/requeued.csv" -b "$bhsim" --wait -- "${long[@]}" \
  > "$work/submitted" &
submitter=$!
poll() { local i; for ((i = 0; i < 600; i++)); do "$@" && return 0; sleep 0.1; done; fail "timed out: $*"; }
poll grep -q '^shards: job array [0-9]' "$work/submitted"
task=$(sed -n 's/^shards: job array \([0-9]*\).*/\1_1/p' "$work/submitted")
journal=$work/requeued.shards/shard-1.csv.journal
recording() { [ -f "$journal" ] && [ "$(wc -l < "$journal")" -gt 10 ]; }
poll recording
scontrol requeue "$task" || fail "scontrol requeue $task failed"
# A requeued job waits a while before it may start again: here it starts a few seconds after its first
# run has ended. (Not at once: slurmd refuses a launch whose credential is of the same second as the
# revocation of the run before, and the task would fail.)
pending() { scontrol show job "$task" | grep -q JobState=PENDING; }
poll pending
poll grep -q 'bhsim: interrupted' "$work/requeued.shards/shard-1.log"
scontrol update JobId="$task" StartTime=now+3 || fail "cannot start $task again"
wait "$submitter" || fail "the sweep with a requeued shard failed"
cmp "$work/long.csv" "$work/requeued.csv" || fail "with shard 1 requeued, the merged table differs"
grep -q 'resuming: [1-9][0-9]* of 150 points recorded' "$work/requeued.shards/shard-1.log" ||
  fail "the requeued shard did not go on from its journal"
