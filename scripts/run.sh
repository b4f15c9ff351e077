#!/usr/bin/env bash
# Sets up and builds everything, then starts Quillery.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
program="$top/build/shell/quillery"
if [ ! -x "$program" ]; then
    echo "The Quillery program itself is not built yet; the libraries and tests are." >&2
    exit 1
fi
exec "$program"
