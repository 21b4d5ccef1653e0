#!/usr/bin/env bash
# The layer check: a layer's sources include headers only from its own folder and the folders
# beneath it. runtime/ is the bottom; host/ and net/ sit on runtime/ and know nothing of each
# other; framework/ sits on host/ and net/; game/ sits on all of them. tools/, tests/, bench/
# and fuzz/ are outside the layers. Prints every include that reaches upwards or sideways and
# fails; prints one line and succeeds when there is none.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

# The folders each layer may include from, its own first.
declare -A allowed=(
  [runtime]="runtime"
  [host]="host runtime"
  [net]="net runtime"
  [framework]="framework host net runtime"
  [game]="game framework host net runtime"
)
layers="runtime host net framework game"

bad=0
for layer in $layers; do
  [ -d "$top/$layer" ] || continue
  while IFS=: read -r file line text; do
    # The included path, from "a/b.h" or <a/b.h>; its first folder names the layer it belongs to.
    path=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">].*/\1/' <<<"$text")
    [[ $path == */* ]] || continue
    target=${path%%/*}
    [[ " $layers " == *" $target "* ]] || continue
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "layer check: ${file#"$top"/}:$line includes \"$path\": $layer/ may include only from" \
        "${allowed[$layer]// /, }" >&2
      bad=1
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' \
             $(find "$top/$layer" -type f \( -name '*.h' -o -name '*.cpp' \) | sort) /dev/null || true)
done

if [ $bad -ne 0 ]; then
  echo "layer check failed: order is runtime < host, net < framework < game (host and net apart)" >&2
  exit 1
fi
echo "layer check: every include stays within its layer or below"
