#!/usr/bin/env bash
# Builds the .deb from a configured build tree into a scratch folder, extracts
# it there (never installs it) and checks what a user would get.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$1"
version="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >/dev/null
deb="$scratch/out/quilvex_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"

want=(
    ./usr/bin/quilvex
    ./usr/bin/quilvex-nmea
    ./usr/share/applications/quilvex.desktop
    ./usr/share/man/man1/quilvex-nmea.1.gz
)
for size in 16 24 32 48 64 128 256; do
    want+=("./usr/share/icons/hicolor/${size}x${size}/apps/quilvex.png")
done
listing="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for path in "${want[@]}"; do
    grep -qx "$path" <<<"$listing" || fail "package lacks $path"
done
files="$(grep -cv '/$' <<<"$listing")"
[ "$files" -eq "${#want[@]}" ] || fail "package has $files files, expected ${#want[@]}"

depends="$(dpkg-deb -f "$deb" Depends)"
for dep in fonts-noto-cjk libqt6serialport6 libqt6widgets6; do
    grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

dpkg-deb -x "$deb" "$scratch/root"
tool="$scratch/root/usr/bin/quilvex-nmea"
[ "$("$tool" --version)" = "quilvex-nmea $version" ] || fail "--version"
expected=$'$GPZDA,045135.12,16,09,2010,13,51*68\r\n$GPGGA,045135.12,3541.221600,N,13941.301400,E,1,08,0.9,0,M,0,M,5.0,1012*7D\r\n$GPGLL,3541.221600,N,13941.301400,E,045135.12,A,A*60\r\n$GPVTG,0,T,0,M,0,N,0,K,A*23\r\n$GPRMC,045135.12,A,3541.221600,N,13941.301400,E,000.0,000.0,160910,0,E,A*2D\r\n$GPGSA,A,3,,,,,,,,,,,,,0,0,0*2C\r\n'
TZ=Asia/Tokyo "$tool" --pref 東京都 --at 2010-09-16T04:51:35.127Z > "$scratch/tick"
cmp -s "$scratch/tick" <(printf '%s' "$expected") || fail "extracted quilvex-nmea does not print the worked example"

desktop-file-validate "$scratch/root/usr/share/applications/quilvex.desktop" || fail "desktop entry"
zcat "$scratch/root/usr/share/man/man1/quilvex-nmea.1.gz" | grep -q '^\.TH QUILVEX-NMEA 1' || fail "man page"
file "$scratch/root/usr/share/icons/hicolor/16x16/apps/quilvex.png" | grep -q '16 x 16' || fail "16 px icon"

echo "package ok: $(basename "$deb"), $files files; Depends: $depends"
