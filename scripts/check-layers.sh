#!/usr/bin/env bash
# The core and Pelcor never include Qt: only app/ui may.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
if grep -rnE '#include *[<"]Q[A-Za-z]|#include *[<"]Qt' app pelcor vantrel --include='*.h' \
     --include='*.hpp' --include='*.cpp' --include='*.c' | grep -v '^app/ui/'; then
  echo "Qt headers are included outside app/ui (above)." >&2
  status=1
fi
exit $status
