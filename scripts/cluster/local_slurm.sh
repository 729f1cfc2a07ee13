#!/bin/bash
# A throwaway one-node Slurm cluster on this machine, for trying the cluster scripts and for their tests.
#
#   local_slurm.sh start DIR    start munged, slurmctld and slurmd; print the line to use the cluster:
#                               eval "$(scripts/cluster/local_slurm.sh start /tmp/slurm)"
#   local_slurm.sh stop DIR     cancel the cluster's jobs, stop the three daemons, wait for them to exit
#
# Run as root (slurmd starts the jobs; munged runs as the munge user). Everything lives in DIR: the munge
# key, socket, seed, log and pid files in DIR/munge, the generated DIR/slurm.conf, and Slurm's state,
# spool, logs and pid files in DIR/slurm. The machine's own configuration (/etc/munge, /etc/slurm,
# /run/munge, the system logs) and any system daemons are left alone: the cluster has its own key, its
# own munge socket and its own free TCP ports above 16000. Packages: slurm-wlm, munge.
# DIR and its parents must be searchable by the munge user (not under /root, say); mktemp -d is fine.
set -euo pipefail

usage() { echo "usage: $0 start DIR | stop DIR" >&2; exit 2; }
[ $# = 2 ] || usage
action=$1
[ "$action" = start ] && mkdir -p "$2"
[ -d "$2" ] || exit 0  # nothing to stop
dir=$(cd "$2" && pwd)
conf=$dir/slurm.conf
mdir=$dir/munge
sdir=$dir/slurm

say() { echo "local_slurm: $*" >&2; }

# The pid in pid file $1 if that process runs and is one of this cluster's (its command line names DIR).
our_pid() {
  local pid
  pid=$(cat "$1" 2>/dev/null) || return 1
  [[ $pid =~ ^[0-9]+$ ]] && [ -r "/proc/$pid/cmdline" ] || return 1
  tr '\0' ' ' < "/proc/$pid/cmdline" | grep -qF -- "$dir/" || return 1
  echo "$pid"
}

# Whether process $1 runs: exists and has not exited (an exited daemon is a zombie until init reaps it).
running() { [ -e "/proc/$1" ] && [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" != Z ]; }

# Stops the daemon of pid file $1: SIGTERM, up to 20 s for it to exit, then SIGKILL. Adds its pid to
# $stopped.
stop_daemon() {
  local pid i
  pid=$(our_pid "$1") || return 0
  stopped+=" $pid"
  kill -TERM "$pid" 2>/dev/null || true
  for ((i = 0; i < 200; i++)); do running "$pid" || { rm -f "$1"; return 0; }; sleep 0.1; done
  say "$(basename "$1" .pid) ($pid) ignored SIGTERM for 20 s: SIGKILL"
  kill -KILL "$pid" 2>/dev/null || true
  for ((i = 0; i < 50; i++)); do running "$pid" || { rm -f "$1"; return 0; }; sleep 0.1; done
  say "$(basename "$1" .pid) ($pid) is still running"
  return 1
}

stop() {
  local ok=0 i pid stopped=""
  if our_pid "$sdir/slurmctld.pid" >/dev/null; then
    # Jobs still running would outlive slurmd (their slurmstepd is no child of it): cancel them first.
    export SLURM_CONF=$conf
    timeout 10 scancel --quiet --user="$(id -un)" 2>/dev/null || true
    for ((i = 0; i < 100; i++)); do
      [ -z "$(timeout 5 squeue --noheader --states=RUNNING,COMPLETING 2>/dev/null)" ] && break
      sleep 0.1
    done
  fi
  stop_daemon "$sdir/slurmd.pid" || ok=1
  stop_daemon "$sdir/slurmctld.pid" || ok=1
  stop_daemon "$mdir/munged.pid" || ok=1
  # Then up to 10 s for init to reap them, so that their pids are gone when this returns.
  for pid in $stopped; do
    for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  return $ok
}

# A TCP port above 16000 that no socket of this machine uses.
free_port() {
  local used p
  used=$(awk 'FNR > 1 { split($2, a, ":"); print a[2] }' /proc/net/tcp /proc/net/tcp6 2>/dev/null |
         while read -r h; do echo $((16#$h)); done)
  while :; do
    p=$((16000 + RANDOM % 40000))
    grep -qx "$p" <<<"$used" || [ "$p" = "${1:-}" ] || { echo "$p"; return; }
  done
}

fail_start() {
  say "$*"
  for log in "$mdir/munged.log" "$sdir/slurmctld.log" "$sdir/slurmd.log"; do
    [ -s "$log" ] && { echo "--- last lines of $log" >&2; tail -n 15 "$log" >&2; }
  done
  stop || true
  exit 1
}

# Waits up to $2 tenths of a second for the command "$3..." to succeed; $1 names the state awaited.
wait_for() {
  local what=$1 tenths=$2 i
  shift 2
  for ((i = 0; i < tenths; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail_start "timed out after $((tenths / 10)) s waiting for $what"
}

node_idle() { [ "$(sinfo --noheader --nodes="$node" --format=%t)" = idle ]; }

start() {
  [ "$(id -u)" = 0 ] || { say "run as root (slurmd starts the jobs)"; exit 1; }
  local cmd
  for cmd in munged munge slurmctld slurmd sinfo sbatch scancel runuser; do
    command -v "$cmd" >/dev/null || { say "$cmd is missing: apt-get install -y slurm-wlm munge"; exit 1; }
  done
  if our_pid "$mdir/munged.pid" >/dev/null || our_pid "$sdir/slurmctld.pid" >/dev/null ||
     our_pid "$sdir/slurmd.pid" >/dev/null; then
    say "a cluster already runs in $dir (stop it first)"; exit 1
  fi
  chmod 755 "$dir"
  runuser -u munge -- test -x "$dir" || { say "the munge user cannot reach $dir"; exit 1; }

  # munged, as the munge user, on a key of its own.
  mkdir -p "$mdir" "$sdir/state" "$sdir/spool"
  chmod 755 "$mdir"
  dd if=/dev/urandom of="$mdir/munge.key" bs=1024 count=1 status=none
  chmod 400 "$mdir/munge.key"
  chown -R munge:munge "$mdir"
  runuser -u munge -- munged --key-file="$mdir/munge.key" --socket="$mdir/munge.socket" \
    --pid-file="$mdir/munged.pid" --log-file="$mdir/munged.log" --seed-file="$mdir/munged.seed" ||
    fail_start "munged did not start"
  wait_for "munged's pid file" 100 our_pid "$mdir/munged.pid"
  wait_for "munged" 100 bash -c 'munge -n -S "$1" | unmunge -S "$1"' - "$mdir/munge.socket"

  node=$(hostname -s)
  local ctld_port slurmd_port memory
  ctld_port=$(free_port)
  slurmd_port=$(free_port "$ctld_port")
  memory=$(awk '/^MemTotal:/ { m = int($2 / 1024 / 4); print (m < 1024 ? m : 1024) }' /proc/meminfo)
  : > "$sdir/plugstack.conf"
  cat > "$conf" <<EOF
# Generated by local_slurm.sh: a one-node cluster on $node, everything in $dir.
ClusterName=bhsimlocal
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$mdir/munge.socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SwitchType=switch/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
MailProg=/bin/true
# Short test jobs: start batch jobs at once; with a small MinJobAge, sbatch --wait polls every 2 s.
SchedulerParameters=batch_sched_delay=0
MinJobAge=4
PlugStackConfig=$sdir/plugstack.conf
StateSaveLocation=$sdir/state
SlurmdSpoolDir=$sdir/spool
SlurmctldPidFile=$sdir/slurmctld.pid
SlurmdPidFile=$sdir/slurmd.pid
SlurmctldLogFile=$sdir/slurmctld.log
SlurmdLogFile=$sdir/slurmd.log
SlurmctldSyslogDebug=quiet
SlurmdSyslogDebug=quiet
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=$memory State=UNKNOWN
PartitionName=debug Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
  export SLURM_CONF=$conf
  # Each daemon forks and writes its pid file a moment later: stop finds it by that file.
  slurmctld -f "$conf" || fail_start "slurmctld did not start"
  wait_for "slurmctld's pid file" 100 our_pid "$sdir/slurmctld.pid"
  slurmd -f "$conf" || fail_start "slurmd did not start"
  wait_for "slurmd's pid file" 100 our_pid "$sdir/slurmd.pid"
  wait_for "$node to be idle in sinfo" 300 node_idle
  say "cluster up in $dir (slurmctld port $ctld_port, slurmd port $slurmd_port)"
  printf 'export SLURM_CONF=%q\n' "$conf"
}

case $action in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
