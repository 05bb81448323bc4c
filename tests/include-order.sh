#!/bin/bash
# Fails when a product file includes from a folder of its own layer's rank or
# above: each folder includes only from the folders before it in `layers`
# (and from itself). The string-table ids (res/) sit just above win/, which
# knows nothing of the wizard.
#   include-order.sh <top of the checkout>
set -euo pipefail
cd "$1"
layers=(win res digest journal kit frontpage log cmdline install pack uninstall run app)

declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done

status=0
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
    echo "$file:$line: $folder/ includes \"$target\" from $to/, which is not below it" >&2
    status=1
  done < <(grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder"/*.cpp "$folder"/*.h 2>/dev/null || true)
done
exit $status
