#!/usr/bin/env bash
# Installs the Debian packages a step needs, only those that are missing.
# The one list of packages: run.sh, test.sh, fuzz.sh, windows.sh and .ci/run
# each name the groups they need.
# Usage: scripts/deps.sh build|run|test|xvfb|fuzz|windows...
set -euo pipefail

declare -A groups=(
    [build]="build-essential ccache cmake pkgconf qt6-base-dev qt6-serialport-dev libgeographiclib-dev libgtest-dev libbenchmark-dev"
    [run]="fonts-noto-cjk qt6-translations-l10n libgl1 libxkbcommon-x11-0 libxcb-cursor0"
    [test]="fonts-noto-cjk socat gpsd gpsd-clients python3 python3-nmea2 python3-geographiclib desktop-file-utils file faketime locales time"
    [xvfb]="xvfb xauth"
    [fuzz]="clang libclang-rt-14-dev"
    [windows]="cmake g++-mingw-w64-x86-64-posix wine wine64 fonts-wine googletest socat xvfb xauth xdotool openbox imagemagick nsis unzip python3 fonts-noto-cjk"
)

wanted=()
for group in "$@"; do
    read -r -a names <<<"${groups[$group]:?unknown package group $group}"
    wanted+=("${names[@]}")
done

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
