#!/usr/bin/env bash
# Sets up and builds everything, then runs every test. Needs no display and
# starts whatever servers the tests use by itself.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
cd "$top/build"
ctest --output-on-failure --timeout 900 "$@"
