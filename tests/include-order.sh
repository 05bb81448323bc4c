#!/bin/bash
# Fails when a product file includes from a folder of its own layer's rank or
# above: each folder includes only from the folders before it in `layers`
# (and from itself). The string-table ids (res/) sit just above win/, which
# knows nothing of the wizard.
#   include-order.sh <top of the checkout>
# Each line of `waiting` is an include that still goes upward, "file include":
# the copy stage's work still lives in the wizard's window. It is allowed
# until it is gone, and a line no longer needed fails the check, so the list
# only shrinks.
set -euo pipefail
cd "$1"
layers=(win res digest journal kit frontpage log cmdline install pack uninstall run app)
waiting=(
  "install/Files.cpp uninstall/Registration.h"
)

declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done

status=0
declare -A seen
for folder in "${layers[@]}"; do
  [ -d "$folder" ] || continue
  while IFS=: read -r file line text; do
    target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$text")
    [ -n "$target" ] || continue
    to=${target%%/*}
    if [ "$to" = "$target" ] || [ -z "${rank[$to]+x}" ]; then
      echo "$file:$line: includes \"$target\", which is not in a product folder" >&2
      status=1
      continue
    fi
    [ "$to" = "$folder" ] && continue
    ((rank[$to] < rank[$folder])) && continue
    if printf '%s\n' "${waiting[@]}" | grep -qxF "$file $target"; then
      seen["$file $target"]=1
      continue
    fi
    echo "$file:$line: $folder/ includes \"$target\" from $to/, which is not below it" >&2
    status=1
  done < <(grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder"/*.cpp "$folder"/*.h 2>/dev/null || true)
done
for entry in "${waiting[@]}"; do
  if [ -z "${seen[$entry]+x}" ]; then
    echo "include-order.sh: \"$entry\" is no longer included: take it off the list" >&2
    status=1
  fi
done
exit $status
