# shellcheck shell=bash
# Sourced by slurm_sweep.sh and parallel_sweep.sh: the options both take and their checks.
# Sets: shards, out, bhsim, workdir and batch_args (an array: what comes after "--").

die() { echo "$(basename "$0"): $*" >&2; exit 2; }

# An absolute path for $1, whose folder must exist.
absolute() {
  local parent
  parent=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || die "no such folder: $(dirname "$1")"
  echo "$parent/$(basename "$1")"
}

# The options both take: common_option OPTION VALUE sets the variable of -n, -o, -b or -w.
shards="" out="" bhsim="" workdir="" batch_args=()
common_option() {
  case $1 in -n) shards=$2 ;; -o) out=$2 ;; -b) bhsim=$2 ;; -w) workdir=$2 ;; esac
}

# needs_value "$@": the option in $1 needs a value after it.
needs_value() { [ $# -ge 2 ] || die "$1 needs a value"; }

# Checks the options and makes the paths absolute; creates WORKDIR.
check_common() {
  [[ $shards =~ ^[1-9][0-9]*$ ]] || die "-n needs the number of shards (a positive integer)"
  [ -n "$out" ] || die "-o needs the merged table's path"
  # The table is written shard by shard and merged; the outputs of a single run would be overwritten.
  local a
  for a in "${batch_args[@]}"; do
    case $a in
      --shard* | --table* | --merge* | --json* | --trace* | --png*)
        die "$a is not for a sharded sweep: the merged table goes to -o" ;;
    esac
  done
  out=$(absolute "$out")
  workdir=${workdir:-${out%.csv}.shards}
  mkdir -p "$workdir" || die "cannot create $workdir"
  workdir=$(cd "$workdir" && pwd)

  # The binary: -b, else the build tree's, else bhsim on the PATH; always as an absolute path.
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  if [ -z "$bhsim" ]; then
    if [ -x "$root/build/bhsim" ]; then bhsim=$root/build/bhsim; else bhsim=bhsim; fi
  fi
  [[ $bhsim == */* ]] || bhsim=$(command -v "$bhsim") || die "bhsim not found (give it with -b)"
  bhsim=$(absolute "$bhsim")
  [ -x "$bhsim" ] || die "not an executable: $bhsim"
}

# Keeps WORKDIR's shard tables and journals when they are from this very sweep (the same program, shards
# and arguments, as written to WORKDIR/command), so that a rerun resumes; otherwise deletes them (with
# their descriptions and journals, and the job log) and writes the new command. Returns 0 when it kept
# them.
keep_or_clear_shards() {
  local command
  command=$(printf '%q ' "$bhsim" -n "$shards" -- "${batch_args[@]}")
  if [ -f "$workdir/command" ] && [ "$(cat "$workdir/command")" = "$command" ]; then return 0; fi
  rm -f "$workdir"/shard-*.csv "$workdir"/shard-*.csv.grid.json "$workdir"/shard-*.csv.journal \
        "$workdir/joblog"
  echo "$command" > "$workdir/command"
  return 1
}

# The shard tables, 1 to N, in WORKDIR: shard_files prints them one per line.
shard_files() { local k; for ((k = 1; k <= shards; k++)); do echo "$workdir/shard-$k.csv"; done; }
