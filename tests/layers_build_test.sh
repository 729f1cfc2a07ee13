#!/usr/bin/env bash
# The build refuses an include of a folder that is not below: each probe is one file that includes HEADER
# and is compiled as a part of the library of FOLDER would be; it must fail, on that header not being found.
# usage: tests/layers_build_test.sh BUILD_DIR FOLDER:HEADER...
set -uo pipefail
build=$1
shift
faults=0
for probe in "$@"; do
  folder=${probe%%:*}
  header=${probe#*:}
  target=layer_probe_${folder}
  output=$(cmake --build "$build" --target "$target" 2>&1)
  if grep -qE "$header: No such file|'$header' file not found" <<<"$output"; then
    echo "src/$folder/ cannot include $header: refused"
  else
    echo "src/$folder/ includes $header without the build refusing it:"
    echo "$output" | tail -5
    faults=$((faults + 1))
  fi
done
[ "$faults" -eq 0 ]
