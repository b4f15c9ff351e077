#!/usr/bin/env bash
# Installs the Debian packages Quillery needs (only those missing), then
# configures and builds the whole tree into build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_type=${QUILLERY_BUILD_TYPE:-RelWithDebInfo}

mapfile -t wanted < <(grep -v -e '^#' -e '^[[:space:]]*$' "$top/deps/debian-packages.txt")
missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

servers="$top/build/test-servers"
mapfile -t unpacked < <(grep -v -e '^#' -e '^[[:space:]]*$' "$top/deps/debian-extract.txt")
for pkg in "${unpacked[@]}"; do
    if [ ! -e "$servers/.$pkg" ]; then
        echo "Unpacking for tests: $pkg"
        download=$(mktemp -d)
        chmod 755 "$download"
        (cd "$download" && apt-get download "$pkg")
        mkdir -p "$servers"
        dpkg-deb -x "$download"/"$pkg"_*.deb "$servers"
        rm -rf "$download"
        touch "$servers/.$pkg"
    fi
done

cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type"
cmake --build "$top/build" --parallel "$(nproc)"
