#!/bin/bash
# Runs a bhsim batch sweep as a Slurm job array, one task per shard, and merges the shard tables into the
# table one process would have written.
#
#   slurm_sweep.sh -n N -o OUT.csv [-b BHSIM] [-w WORKDIR] [-s SBATCH_OPTION]... [-W|--wait]
#                  -- BATCH_ARGS...
#
#   -n N         shards: task K (1..N) of the array runs
#                BHSIM --batch BATCH_ARGS... --quiet --resume --shard K/N --table WORKDIR/shard-K.csv
#                The tasks are requeueable (sbatch --requeue): a task requeued (preempted, a node
#                failed, scontrol requeue) goes on from its journal with every point it had finished.
#   -o OUT.csv   the merged table, written by a merge job that starts once every task has succeeded:
#                BHSIM --merge OUT.csv WORKDIR/shard-1.csv ... WORKDIR/shard-N.csv
#   -b BHSIM     the program (default: build/bhsim of this tree, else bhsim on the PATH)
#   -w WORKDIR   the shard tables, the job scripts and the logs shard-K.log and merge.log (default:
#                OUT.shards beside OUT.csv); shard tables already there are deleted first, unless they
#                are from the same command: then a task whose shard went through ends at once and the
#                others resume (so submitting the same command again finishes a sweep)
#   -s OPTION    one sbatch option for both jobs, as one word; repeat it for more:
#                -s --partition=long -s --time=2:00:00 -s --cpus-per-task=2
#   -W, --wait   wait for the merge job to end and exit with its status (a failed task cancels it)
#   BATCH_ARGS   the sweep, as for bhsim --batch: [--bh N] [--refresh-every N] [--sweep ...]... [--jobs N]
#                [FIELD=TEXT ...]; no --table, --shard, --json, --trace or --png
#
# Prints the two job ids:  "shards: job array ID (N tasks)" and "merge: job ID -> OUT.csv".
# BHSIM, WORKDIR and OUT.csv must be at the same paths on the compute nodes as here (a shared
# filesystem); the paths are made absolute. The jobs run with the submitting environment (SLURM_CONF
# included). To try it on this machine: scripts/cluster/local_slurm.sh.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/sweep_common.sh"

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit; }

sbatch_opts=() wait=0
while [ $# -gt 0 ]; do
  case $1 in
    -n | -o | -b | -w) needs_value "$@"; common_option "$1" "$2"; shift ;;
    -s) needs_value "$@"; sbatch_opts+=("$2"); shift ;;
    -W | --wait) wait=1 ;;
    -h | --help) usage ;;
    --) shift; batch_args=("$@"); break ;;
    *) die "unknown option: $1 (see --help)" ;;
  esac
  shift
done
check_common
command -v sbatch >/dev/null || die "sbatch is missing (a Slurm client: apt-get install slurm-client)"

keep_or_clear_shards || true
mapfile -t tables < <(shard_files)
# shellcheck disable=SC2016  # the task's variables expand in the task
{
  echo '#!/bin/bash'
  echo "# Task K of the array computes shard K of $shards (written by slurm_sweep.sh), or goes on with it."
  printf 'table=%q"$SLURM_ARRAY_TASK_ID".csv\n' "$workdir/shard-"
  echo '[ -f "$table.grid.json" ] && [ ! -e "$table.journal" ] && exit 0  # went through already'
  printf 'exec'; printf ' %q' "$bhsim" --batch "${batch_args[@]}" --quiet --resume --shard
  printf ' "$SLURM_ARRAY_TASK_ID"/%q --table "$table"\n' "$shards"
} > "$workdir/shard.sbatch"
{
  echo '#!/bin/bash'
  echo "# Merges the $shards shard tables (written by slurm_sweep.sh)."
  printf 'exec'; printf ' %q' "$bhsim" --merge "$out" "${tables[@]}"; echo
} > "$workdir/merge.sbatch"

array=$(sbatch --parsable --array=1-"$shards" --job-name=bhsim-shard --chdir="$workdir" --requeue \
          --open-mode=append --output="$workdir/shard-%a.log" "${sbatch_opts[@]}" "$workdir/shard.sbatch")
array=${array%%;*}
echo "shards: job array $array ($shards tasks)"

merge_opts=(--parsable --job-name=bhsim-merge --chdir="$workdir" --output="$workdir/merge.log"
            --dependency=afterok:"$array" --kill-on-invalid-dep=yes "${sbatch_opts[@]}")
submitted() { echo "merge: job ${1%%;*} -> $out"; merge=$1; }
merge="" status=0
if [ "$wait" = 1 ]; then
  # sbatch --wait prints the id as soon as the job is queued, then exits with the job's status.
  shopt -s lastpipe
  sbatch --wait "${merge_opts[@]}" "$workdir/merge.sbatch" |
    while read -r id; do submitted "$id"; done || status=${PIPESTATUS[0]}
else
  if id=$(sbatch "${merge_opts[@]}" "$workdir/merge.sbatch"); then submitted "$id"; fi
fi
if [ -z "$merge" ]; then
  scancel "$array" || true
  die "could not submit the merge job; job array $array cancelled"
fi
# sbatch --wait exits with 0 for a job cancelled before it ran (a task failed): a merge went through if
# Slurm still says COMPLETED or, once the job is forgotten, if it wrote OUT.csv after the submission.
if [ "$wait" = 1 ] && [ "$status" = 0 ]; then
  state=$(scontrol show job --oneliner "${merge%%;*}" 2>/dev/null | grep -o 'JobState=[A-Z_]*') || true
  if [ -n "$state" ]; then [ "$state" = JobState=COMPLETED ] || status=1
  elif ! [ "$out" -nt "$workdir/merge.sbatch" ]; then status=1; fi
fi
if [ "$status" != 0 ]; then
  echo "$(basename "$0"): the merge failed or was cancelled (status $status); logs in $workdir" >&2
fi
exit "$status"
