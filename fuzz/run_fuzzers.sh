#!/bin/bash
# Runs every fuzzer of a BHSIM_FUZZ build for a while, starting from the seed corpora kept here.
#
#   run_fuzzers.sh BUILD_DIR [SECONDS]
#
# New inputs go to BUILD_DIR/fuzz-corpus, never into the repository; a crash, a sanitizer finding or a
# hang (an input running longer than 10 s) leaves its input in BUILD_DIR/fuzz-artifacts and fails.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/fuzz-artifacts"
status=0
for target in mask batch_options batch_run; do
  binary=$build/fuzz/fuzz_$target
  work=$build/fuzz-corpus/$target
  mkdir -p "$work"
  dict=()
  case $target in batch_*) dict=(-dict="$here/batch.dict") ;; esac
  log=$build/fuzz-$target.log
  echo "fuzz_$target: ${seconds} s"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$build/fuzz-artifacts/$target-" "${dict[@]}" "$work" "$here/corpus/$target" >"$log" 2>&1; then
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$log" | sed "s/^/  /"
  else
    status=1
    tail -n 60 "$log"
    echo "fuzz_$target found a problem; its input is in $build/fuzz-artifacts"
  fi
done
exit $status
