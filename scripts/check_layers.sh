#!/usr/bin/env bash
# The layer check: a layer's sources include headers only from its own folder and the folders
# beneath it. runtime/ is the bottom; host/ and net/ sit on runtime/ and know nothing of each
# other; framework/ sits on host/ and net/; game/ sits on all of them. tools/, tests/, bench/
# and fuzz/ are outside the layers. The game also never sees the window system's or the audio
# library's headers, not even through the headers it includes: only the host's and the
# framework's sources include them. Prints every include that breaks a rule and fails; prints one
# line and succeeds when there is none.
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

# The project's headers a file reaches through its "..." includes, into `reached`; each file's
# own includes are read once.
declare -A direct reached
reach() {
  local file=$1 path next
  [ -z "${reached[$file]:-}" ] || return 0
  reached[$file]=1
  if [ -z "${direct[$file]+set}" ]; then
    direct[$file]=""
    while read -r path; do
      for next in "$top/$path" "${file%/*}/$path"; do
        if [ -f "$next" ]; then direct[$file]+=" $next"; break; fi
      done
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
  fi
  for next in ${direct[$file]}; do reach "$next"; done
}
hidden='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(AL|GLFW)/'
mapfile -t library_includes < <(grep -rnE "$hidden" "$top/runtime" "$top/host" "$top/net" \
  "$top/framework" "$top/game" --include='*.h' --include='*.cpp' || true)
for file in $(find "$top/game" -type f \( -name '*.h' -o -name '*.cpp' \) | sort); do
  reached=()
  reach "$file"
  for hit in "${library_includes[@]}"; do
    header=${hit%%:*}
    [ -n "${reached[$header]:-}" ] || continue
    rest=${hit#*:}
    echo "layer check: ${file#"$top"/} reaches <${rest#*<} through ${header#"$top"/}:${rest%%:*};" \
      "the game may not see the window system's or the audio library's headers" >&2
    bad=1
  done
done

if [ $bad -ne 0 ]; then
  echo "layer check failed: layers are runtime < host, net < framework < game, host and net apart;" \
    "the window system and the audio library stay below the game" >&2
  exit 1
fi
echo "layer check: every include stays within its layer or below it"
