#!/usr/bin/env bash
# Checks that every folder of the program includes only from the folders
# below it. Each folder's own headers are found by name (the includes carry
# no folder); a header found in no folder (a generated one) is not checked.
# Prints every include that goes up or sideways and fails if there is one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Each folder, bottom to top, with the folders it may include from.
declare -A below=(
  [data]=""
  [database]="data"
  [app/settings]="data"
  [compilations/engine]="data database"
  [compilations/pdf]="data database compilations/engine"
  [ui]="data database app/settings"
  [records]="data database app/settings ui"
  [compilations/windows]="data database app/settings compilations/engine compilations/pdf ui"
  [app]="data database app/settings compilations/engine compilations/pdf ui records compilations/windows"
  [tools]="data database app/settings compilations/engine compilations/pdf"
  [docs]="data database app/settings compilations/engine compilations/pdf ui records compilations/windows app"
)

# The folder a file belongs to: the longest folder name its path starts with.
folder_of() {
  local path="$1" best=""
  for folder in "${!below[@]}"; do
    if [[ "$path" == "$folder/"* && ${#folder} -gt ${#best} ]]; then
      best="$folder"
    fi
  done
  printf '%s' "$best"
}

declare -A home=()
declare -A files=()
for folder in "${!below[@]}"; do
  while IFS= read -r path; do
    owner="$(folder_of "$path")"
    files["$path"]="$owner"
    name="$(basename "$path")"
    name="${name%.in}"
    if [[ "$name" == *.h ]]; then
      if [[ -n "${home[$name]:-}" && "${home[$name]}" != "$owner" ]]; then
        echo "header $name is in both ${home[$name]} and $owner" >&2
        exit 1
      fi
      home["$name"]="$owner"
    fi
  done < <(find "$folder" -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.h.in' \))
done

status=0
for path in "${!files[@]}"; do
  [[ "$path" == *.h.in ]] && continue
  owner="${files[$path]}"
  while IFS= read -r included; do
    target="${home[$included]:-}"
    [[ -z "$target" || "$target" == "$owner" ]] && continue
    if [[ " ${below[$owner]} " != *" $target "* ]]; then
      echo "$path: includes $included from $target, which is not below $owner"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$path")
done

if [[ $status -eq 0 ]]; then
  echo "includes: every folder includes only from the folders below it"
fi
exit $status
