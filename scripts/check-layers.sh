#!/usr/bin/env bash
# The layers of app/, from the bottom up: a folder includes only folders below it (and itself).
# The folders under app/formats do not include each other. Only app/ui includes Qt; the core and
# Pelcor never do.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(platform errors text environment values files crs formats projection conversion presenters "ui cli")

rank_of() {
  local i
  for i in "${!layers[@]}"; do
    for name in ${layers[$i]}; do
      [ "$name" = "$1" ] && { echo "$i"; return; }
    done
  done
  echo -1
}

status=0
while IFS= read -r file; do
  folder=${file#app/}
  folder=${folder%%/*}
  own=$(rank_of "$folder")
  while IFS=: read -r line included; do
    target=${included%%/*}
    rank=$(rank_of "$target")
    [ "$rank" -lt 0 ] && continue
    if [ "$target" != "$folder" ] && [ "$rank" -ge "$own" ]; then
      echo "$file:$line: $folder includes $included, which is not below it" >&2
      status=1
    fi
  done < <(grep -n '^#include *"' "$file" | sed 's|^\([0-9]*\):#include *"\([^"]*\)".*|\1:\2|')
done < <(find app -type f \( -name '*.h' -o -name '*.cpp' \))

# Each format stands alone: a reader or writer of one never reaches into another's folder.
while IFS=: read -r file line included; do
  own=${file#app/formats/}
  own=${own%%/*}
  sibling=${included#formats/}
  sibling=${sibling%%/*}
  if [ "$sibling" != "$own" ]; then
    echo "$file:$line: formats/$own includes $included, another format's folder" >&2
    status=1
  fi
done < <(grep -rn '^#include *"formats/' app/formats |
           sed 's|^\([^:]*\):\([0-9]*\):#include *"\([^"]*\)".*|\1:\2:\3|')

if grep -rnE '#include *[<"]Q[A-Za-z]|#include *[<"]Qt' app pelcor vantrel --include='*.h' \
     --include='*.hpp' --include='*.cpp' --include='*.c' | grep -v '^app/ui/'; then
  echo "Qt headers are included outside app/ui (above)." >&2
  status=1
fi
if grep -rnE '#include *[<"](gdal|ogr_|cpl_)' app pelcor vantrel --include='*.h' --include='*.cpp' |
     grep -v '^app/crs/gdal/'; then
  echo "GDAL headers are included outside app/crs/gdal (above)." >&2
  status=1
fi
[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
