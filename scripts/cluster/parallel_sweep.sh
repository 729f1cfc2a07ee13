#!/bin/bash
# Runs a bhsim batch sweep in N shards with GNU parallel, on this machine or over ssh on several, and
# merges the shard tables into the table one process would have written.
#
#   parallel_sweep.sh -n N -o OUT.csv [-j SLOTS] [-S SSHLOGINS] [-b BHSIM] [-w WORKDIR] -- BATCH_ARGS...
#
#   -n N          shards: shard K (1..N) runs
#                 BHSIM --batch BATCH_ARGS... --quiet --shard K/N --table WORKDIR/shard-K.csv
#   -o OUT.csv    the merged table, written here once every shard has succeeded:
#                 BHSIM --merge OUT.csv WORKDIR/shard-1.csv ... WORKDIR/shard-N.csv
#   -j SLOTS      shards run at once on this machine, and on each host of -S that gives no count of its
#                 own (default: one per processor core)
#   -S SSHLOGINS  run the shards on these hosts (GNU parallel's --sshlogin): "2/host1,4/user@host2";
#                 ":" is this machine, so "2/:,2/host1" uses both
#   -b BHSIM      the program (default: build/bhsim of this tree, else bhsim on the PATH)
#   -w WORKDIR    the shard tables and parallel's job log (default: OUT.shards beside OUT.csv); shard
#                 tables already there are deleted first, unless they are from the same command
#   BATCH_ARGS    the sweep, as for bhsim --batch: [--bh N] [--refresh-every N] [--sweep ...]... [--jobs N]
#                 [FIELD=TEXT ...]; no --table, --shard, --json, --trace or --png
#
# With -S, BHSIM and WORKDIR must be at the same paths on every host as here: a shared filesystem (NFS,
# say), with password-less ssh to each host. Nothing is copied. The paths are made absolute.
# The first shard that fails stops the others; the merge then does not run. Exit status: 0 merged,
# 1 a shard or the merge failed, 2 bad arguments.
#
# To finish a sweep that was interrupted (Ctrl-C), killed or had a shard fail, run the same command
# again: the shards that went through are not run again (parallel --resume-failed over the job log),
# and the others go on from their journals (bhsim --resume) with every point they had finished.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/sweep_common.sh"

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit; }

parallel_opts=()
while [ $# -gt 0 ]; do
  case $1 in
    -n | -o | -b | -w) needs_value "$@"; common_option "$1" "$2"; shift ;;
    -j) needs_value "$@"; [[ $2 =~ ^[1-9][0-9]*$ ]] || die "-j needs a positive number of slots"
        parallel_opts+=(--jobs "$2"); shift ;;
    -S) needs_value "$@"; parallel_opts+=(--sshlogin "$2"); shift ;;
    -h | --help) usage ;;
    --) shift; batch_args=("$@"); break ;;
    *) die "unknown option: $1 (see --help)" ;;
  esac
  shift
done
check_common
command -v parallel >/dev/null || die "GNU parallel is missing: apt-get install parallel"

keep_or_clear_shards && parallel_opts+=(--resume-failed)
mapfile -t tables < <(shard_files)
# --quote passes each word as one argument, here or over ssh; {} is the shard number.
if ! seq 1 "$shards" | parallel --quote --halt now,fail=1 --tag --joblog "$workdir/joblog" \
       "${parallel_opts[@]}" "$bhsim" --batch "${batch_args[@]}" --quiet --resume --shard "{}/$shards" \
       --table "$workdir/shard-{}.csv"; then
  echo "$(basename "$0"): a shard failed or was interrupted (see $workdir/joblog); nothing merged." \
       "The same command again goes on where it stopped." >&2
  exit 1
fi
"$bhsim" --merge "$out" "${tables[@]}" || { echo "$(basename "$0"): the merge failed" >&2; exit 1; }
echo "merged $shards shards into $out"
