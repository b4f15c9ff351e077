#!/usr/bin/env bash
# The installed program: `cmake --install` into a scratch prefix lays out
# the program, its site pages, the sample site, the desktop entry, the icons
# and the metadata; the desktop entry and the metadata validate; the
# installed program, started on an X server of the test's own, makes an
# empty folder a site ("Создать?" -> Да) with the site's pages from its own
# share/ folder. Then the Debian package is built from this build folder and
# its dependencies and contents are checked.
# Usage: test_install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
app_id=example.brakvel.Quillery
for f in bin/quillery \
    share/quillery/site-pages/index.html share/quillery/site-pages/site.css \
    share/quillery/site-pages/site.js share/quillery/sample-site/index \
    share/quillery/sample-site/index.html \
    share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/scalable/apps/quillery.svg; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/quillery.png
    [ -s "$png" ] || fail "no ${size}x${size} icon"
    file "$png" | grep -q "PNG image data, $size x $size" || fail "$png: $(file -b "$png")"
done
desktop-file-validate "$prefix/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
# Nothing of the source or build tree is named by the installed program.
! grep -qaF "$build/share" "$prefix/bin/quillery" || fail "the program names its build folder"

# The installed program on a new folder, with settings and data of its own.
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/config XDG_DATA_HOME=$scratch/home/data
export XDG_RUNTIME_DIR=$scratch/runtime
unset QT_QPA_PLATFORM XDG_DATA_DIRS
mkdir -p "$XDG_CONFIG_HOME/Brakvel" "$XDG_RUNTIME_DIR" "$scratch/site"
chmod 700 "$XDG_RUNTIME_DIR"
site=$scratch/site
printf '[LastDirs]\n0=%s/\n' "$(printf '%s' "$site" | tr 'A-Z' 'a-z')" >"$XDG_CONFIG_HOME/Brakvel/Quillery.ini"
: >"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$scratch/display")
(cd "$scratch" && exec "$prefix/bin/quillery") >"$scratch/program.log" 2>&1 &
pids+=($!)
windows_at_least() { [ "$(xdotool search --onlyvisible --name '^Quillery$' 2>/dev/null | wc -l)" -ge "$1" ]; }
wait_for() { # seconds, condition...
    local n=$(($1 * 10)); shift
    for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done
    return 1
}
wait_for 60 windows_at_least 1 || fail "no site dialog: $(cat "$scratch/program.log")"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Quillery$' | head -n1)"
xdotool key Return # OK: the folder from the recent list
wait_for 30 windows_at_least 2 || fail "no question on the empty folder"
sleep 1
xdotool key shift+Tab Return # "Создать?": from the default Нет to Да
for f in index index.html site.css site.js; do
    wait_for 60 test -s "$site/$f" || fail "the new site has no $f: $(ls "$site")"
done
for f in index.html site.css site.js; do
    grep -q "Quillery site pages [0-9]* sha256:" "$site/$f" || fail "$f carries no mark"
done
echo "the installed program made a site with its pages: $(ls "$site" | tr '\n' ' ')"

# The package, from this build folder.
(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/package" >/dev/null) ||
    fail "cpack failed"
deb=$(ls "$scratch"/package/quillery_*.deb)
info=$(dpkg-deb --info "$deb")
echo "$info" | grep -E '^ (Package|Version|Architecture|Depends):'
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
for lib in libqt6webenginewidgets6 libqt6widgets6 libqt6core6 libjpeg62-turbo libnettle8 libc6 \
    qt6-translations-l10n; do
    echo "$depends" | grep -q "\b$lib\b" || fail "the package does not depend on $lib"
done
contents=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/quillery ./usr/share/quillery/site-pages/index.html \
    ./usr/share/quillery/site-pages/site.css ./usr/share/quillery/site-pages/site.js \
    ./usr/share/applications/$app_id.desktop ./usr/share/metainfo/$app_id.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/quillery.svg \
    ./usr/share/icons/hicolor/48x48/apps/quillery.png; do
    echo "$contents" | grep -q " $f\( \|$\)" || fail "the package lacks $f"
done
echo "package $(basename "$deb") holds the program, its pages, the desktop entry and the icons"
