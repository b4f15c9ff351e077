#!/usr/bin/env bash
# Sets up and builds everything, then starts Quillery. On the first start the
# site dialog proposes the program's own folder; a writable copy of the
# sample site is put there so it opens at once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
program="$top/build/bin/quillery"
site=$(dirname "$program")
if [ ! -e "$site/index" ]; then
    cp -n "$top"/sample-site/* "$site"/
    chmod u+w "$site"/*
fi
exec "$program"
