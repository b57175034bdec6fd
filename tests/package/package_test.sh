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
want="./usr/bin/quilvex ./usr/bin/quilvex-nmea ./usr/share/applications/quilvex.desktop
./usr/share/doc/quilvex/copyright ./usr/share/man/man1/quilvex-nmea.1.gz ./usr/share/man/man1/quilvex.1.gz
$(for size in 16 24 32 48 64 128 256; do echo "./usr/share/icons/hicolor/${size}x${size}/apps/quilvex.png"; done)"
got="$(dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ {print $6}' | sort)"
want="$(tr ' ' '\n' <<<"$want" | sort)"
[ "$got" = "$want" ] || fail "package files differ: $(diff <(echo "$want") - <<<"$got")"
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in fonts-noto-cjk qt6-translations-l10n libqt6serialport6 libqt6network6 libqt6widgets6 libgeographiclib; do
    grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
dpkg-deb -f "$deb" Maintainer | grep -vq localhost || fail "maintainer names localhost"

dpkg-deb -x "$deb" "$scratch/root"
for program in quilvex quilvex-nmea; do
    [ "$("$scratch/root/usr/bin/$program" --version)" = "$program $version" ] || fail "$program --version"
    zcat "$scratch/root/usr/share/man/man1/$program.1.gz" | grep -qi "^\.TH $program 1" || fail "man page $program"
done
desktop-file-validate "$scratch/root/usr/share/applications/quilvex.desktop" || fail "desktop entry"
file "$scratch/root/usr/share/icons/hicolor/16x16/apps/quilvex.png" | grep -q '16 x 16' || fail "16 px icon"
echo "package ok: $(basename "$deb"); Depends: $depends"
