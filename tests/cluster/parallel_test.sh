#!/bin/bash
# Sweeps a small grid in 4 shards with scripts/cluster/parallel_sweep.sh on 2 local job slots and
# compares the merged table with a single run's; a failing shard must fail the sweep.
#   parallel_test.sh path/to/bhsim
set -u
# shellcheck source-path=SCRIPTDIR
source "$(dirname "$0")/common.sh"
trap 'rm -rf "$work"' EXIT
command -v parallel >/dev/null || fail "GNU parallel is missing: make deps installs it"
check_sweep "$root/scripts/cluster/parallel_sweep.sh" -j 2
echo "$name: passed in $(elapsed)"
