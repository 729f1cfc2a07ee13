#!/usr/bin/env bash
# Checks that the folders of src/ include one another downwards only. Each line of LAYERS is one layer,
# lowest first; a folder may include folders of lower layers and its own folder, never a higher one nor
# another folder of its own layer. The folders of a pair in APART never include each other, whatever
# their layers. Prints every include that breaks this and every folder of src/ that is on no layer; exits
# 1 when there is any.
# usage: scripts/check_layers.sh [SRC_DIR]
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
LAYERS=(
  "format platform state output"
  "control sim"
  "display"
  "program picture"
  "qt batch"
  "grid"
  "cli python"
)
# The windows, and the command line and the Python module, are faces of the core: neither side knows the
# other.
APART=("qt batch" "qt grid" "qt cli" "qt python")
declare -A rank apart
for r in "${!LAYERS[@]}"; do
  for folder in ${LAYERS[$r]}; do rank[$folder]=$r; done
done
for pair in "${APART[@]}"; do
  read -r a b <<<"$pair"
  apart["$a $b"]=1
  apart["$b $a"]=1
done
faults=0
for dir in "$src"/*/; do
  folder=$(basename "$dir")
  [ -n "${rank[$folder]+x}" ] || { echo "src/$folder/ is on no layer"; faults=$((faults + 1)); }
done
while IFS=: read -r file _ include; do
  from=${file#"$src"/}
  from=${from%%/*}
  to=$(sed -E 's/.*#include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$include")
  [ -n "${rank[$from]+x}" ] && [ -n "${rank[$to]+x}" ] && [ "$from" != "$to" ] || continue
  if [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
    echo "src/${file#"$src"/} includes $to/, which is not below $from/"
    faults=$((faults + 1))
  elif [ -n "${apart["$from $to"]+x}" ]; then
    echo "src/${file#"$src"/} includes $to/, which stands apart from $from/"
    faults=$((faults + 1))
  fi
done < <(grep -rnE '^[[:space:]]*#include[[:space:]]*"[^/"]+/' "$src" --include='*.cpp' --include='*.hpp' || true)
echo "$faults layering faults"
[ "$faults" -eq 0 ]
