#!/usr/bin/env bash
# Sets up and builds everything, then starts Quillery. On the first start a
# writable copy of the sample site is put in a folder of its own in the home
# folder and offered as the first recent site, so the site dialog opens it
# with OK. The program's own folder never holds a site: publishing it would
# upload the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"

sample="$HOME/quillery-sample-site"
if [ ! -e "$sample/index" ]; then
    mkdir -p "$sample"
    cp -nL "$top"/sample-site/* "$sample"/
    chmod u+w "$sample"/*
fi
# The recent folders list, as the program keeps it, when there is none yet.
settings="${XDG_CONFIG_HOME:-$HOME/.config}/Brakvel/Quillery.ini"
if ! grep -qs '^\[LastDirs\]' "$settings"; then
    (umask 077 && mkdir -p "$(dirname "$settings")" &&
        printf '[LastDirs]\n0=%s/\n' "$(printf '%s' "$sample" | tr 'A-Z' 'a-z')" >>"$settings")
fi
exec "$top/build/bin/quillery"
