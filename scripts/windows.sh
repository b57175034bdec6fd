#!/usr/bin/env bash
# Builds quilvex.exe, quilvex-nmea.exe and the test suites for Windows with
# MinGW-w64 against the prebuilt Qt beside the checkout (../shared/qt) and
# GeographicLib built from Debian's source beside it (../shared/geographiclib), then
# under Wine: runs the tests, an end-to-end run of the window on COM1 (a
# pseudo-terminal) and of quilvex-nmea.exe over TCP, makes the NSIS installer
# and the zip, and installs the installer into a fresh Wine prefix.
# Leaves build-win/Quilvex, where both programs run as they are.
#   scripts/windows.sh [--no-tests] [--no-package]   (the test suites; the installer)
set -euo pipefail
cd "$(dirname "$0")/.."
# Its packages are scripts/deps.sh's windows group, installed before the namespace.
[ -n "${QUILVEX_TTYS_HIDDEN:-}" ] || scripts/deps.sh windows
# Wine's default COM ports are /dev/ttyS*, real serial lines (maybe the
# console): all of this runs in a private mount namespace with /dev/null
# bound over each of them, as root or in a user namespace of one's own.
if [ -z "${QUILVEX_TTYS_HIDDEN:-}" ]; then
    if [ "$(id -u)" = 0 ]; then hide=(unshare -m --propagation private); else hide=(unshare -r -m --propagation private); fi
    QUILVEX_TTYS_HIDDEN=1 exec "${hide[@]}" bash "$0" "$@"
fi
for tty in /dev/ttyS*; do
    if [ -e "$tty" ]; then
        mount --bind /dev/null "$tty"
        [ "$(stat -Lc %t:%T "$tty")" = "$(stat -Lc %t:%T /dev/null)" ] ||
            { echo "windows.sh: $tty is still a serial line: nothing is started" >&2; exit 1; }
    fi
done
repo=$PWD
build=$repo/build-win
deploy=$build/Quilvex
package=1 tests=1
for arg in "$@"; do
    case $arg in
    --no-package) package=0 ;;
    --no-tests) tests=0 ;;
    *) echo "usage: scripts/windows.sh [--no-tests] [--no-package]" >&2; exit 2 ;;
    esac
done
started=$SECONDS
say() { printf '== %s (%d s)\n' "$*" $((SECONDS - started)); }

# --- Qt for MinGW-w64: checked against its sum, unpacked once outside the checkout
qt_dir=${QUILVEX_QT_DIR:-$repo/../shared/qt}
qt_archive=$qt_dir/qt6.4.2-mingw64.tar.xz
[ -f "$qt_archive" ] || { echo "windows.sh: no $qt_archive (see ../shared/qt/README.md)" >&2; exit 1; }
(cd "$qt_dir" && grep ' qt6.4.2-mingw64.tar.xz$' SHA256SUMS | sha256sum --check --quiet -) ||
    { echo "windows.sh: $qt_archive does not match its SHA-256 in SHA256SUMS" >&2; exit 1; }
sum=$(grep ' qt6.4.2-mingw64.tar.xz$' "$qt_dir/SHA256SUMS" | cut -c1-12)
cache=${QUILVEX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quilvex}
qt=$cache/qt6.4.2-mingw64-$sum
if [ ! -d "$qt" ]; then
    mkdir -p "$cache"
    rm -rf "$qt.partial" && mkdir "$qt.partial"
    tar -xJf "$qt_archive" -C "$qt.partial" --strip-components=1
    mv "$qt.partial" "$qt"
fi

# --- GeographicLib for MinGW-w64: Debian's source, checked against its sum,
# built once into the cache as a static library (so the programs need no DLL of it)
geo_dir=${QUILVEX_GEOGRAPHICLIB_DIR:-$repo/../shared/geographiclib}
geo_tarball=geographiclib_2.1.2.orig.tar.gz
[ -f "$geo_dir/$geo_tarball" ] || { echo "windows.sh: no $geo_dir/$geo_tarball (see its README.md)" >&2; exit 1; }
(cd "$geo_dir" && grep " $geo_tarball\$" SHA256SUMS | sha256sum --check --quiet -) ||
    { echo "windows.sh: $geo_dir/$geo_tarball does not match its SHA-256 in SHA256SUMS" >&2; exit 1; }
geo=$cache/geographiclib2.1.2-mingw64-$(grep " $geo_tarball\$" "$geo_dir/SHA256SUMS" | cut -c1-12)
if [ ! -d "$geo" ]; then
    say "building GeographicLib for Windows into $geo"
    rm -rf "$geo.partial" "$geo.source" && mkdir "$geo.source"
    tar -xzf "$geo_dir/$geo_tarball" -C "$geo.source" --strip-components=1
    cmake -S "$geo.source" -B "$geo.source/build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_DOCUMENTATION=OFF -DBUILD_MANPAGES=OFF \
        -DCONVERT_WARNINGS_TO_ERRORS=OFF -DCMAKE_INSTALL_PREFIX="$geo.partial" >/dev/null
    cmake --build "$geo.source/build" -j"$(nproc)" >/dev/null
    cmake --install "$geo.source/build" >/dev/null
    rm -rf "$geo.source"
    mv "$geo.partial" "$geo"
fi

# --- build
say "building for Windows against $qt and $geo"
cmake -S . -B "$build" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH="$qt" \
    -DGeographicLib_DIR="$geo/lib/cmake/GeographicLib" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILVEX_WERROR=ON -DQUILVEX_TESTS=ON -DQUILVEX_BENCH=OFF \
    -DQUILVEX_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -rf "$deploy"
cmake --install "$build" --prefix "$deploy" >/dev/null

# --- Wine: a prefix of this build's own, never the user's
export WINEPREFIX=${QUILVEX_WINEPREFIX:-$build/wine} WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='winemenubuilder.exe=d'
wineserver -k 2>/dev/null || true
wineboot --init >/dev/null 2>&1 || true
wineserver -w

# The tests find Qt and the MinGW runtime through WINEPATH; the deployed
# folder and the installed one never do.
if [ "$tests" = 1 ]; then
say "tests under Wine"
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
# Wine passes QT_* variables on only as WINEQT_*.
export WINEPATH="Z:$qt/bin;Z:$runtime;Z:/usr/x86_64-w64-mingw32/lib" WINEQT_QPA_PLATFORM=offscreen TZ=JST-9
rm -f "$build/tests/window-tests.txt"
if ! (cd "$build" && ctest --output-on-failure -V -R '^quilvex_' >"$build/wine-tests.log" 2>&1); then
    tail -150 "$build/wine-tests.log" "$build/tests/window-tests.txt"
    echo "windows.sh: tests failed under Wine (whole log: $build/wine-tests.log)" >&2
    exit 1
fi
grep -E '^ *[0-9]+: (\[  (PASSED|SKIPPED) |skipped on this platform)|tests passed' \
    "$build/wine-tests.log" | sed 's/^ *[0-9]*: //'
grep -E '^(PASS|SKIP|FAIL!|Totals)|skipped on Windows' "$build/tests/window-tests.txt"
unset WINEPATH WINEQT_QPA_PLATFORM TZ
fi

# --- end to end: the window on COM1 and quilvex-nmea.exe over TCP
say "end to end under Wine and Xvfb"
tmp=$(mktemp -d /tmp/quilvex-wine.XXXXXX)
pids=()
trap 'status=$?; set +e; wineserver -k 2>/dev/null; kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$tmp"; exit $status' EXIT
exec 5>"$tmp/display"
Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$tmp/display")
openbox >/dev/null 2>&1 & pids+=($!)  # a title bar for the screenshot

socat pty,raw,echo=0,link="$tmp/com1" pty,raw,echo=0,link="$tmp/peer" & pids+=($!)
for _ in $(seq 50); do [ -e "$tmp/peer" ] && [ -e "$tmp/com1" ] && break; sleep 0.1; done
pty=$(readlink -f "$tmp/com1")
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$pty" /f >/dev/null
wineserver -w
wine cmd /c exit  # Wine remakes its COM links as it starts
com1=$(readlink -f "$WINEPREFIX/dosdevices/com1")
[[ "$com1" == /dev/pts/* && "$com1" == "$pty" ]] ||
    { echo "windows.sh: COM1 leads to $com1, not to $pty: nothing is started" >&2; exit 1; }
echo "COM1 -> $com1"

# The first window whose name matches, within 60 s. Asked again each second:
# xdotool dies of BadWindow when a window goes while it walks the tree.
window_named() {
    local found
    for _ in $(seq 60); do
        found=$(xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$found" ] && { echo "$found"; return; }
        sleep 1
    done
    echo "windows.sh: no window named $1 within 60 s" >&2
    return 1
}

# The original receiver: no settings kept from an earlier run.
wine reg delete 'HKCU\Software\Quilvex' /f >/dev/null 2>&1 || true
(cd "$deploy" && exec wine quilvex.exe) & pids+=($!) && disown
# The window is driven by keyboard along the tab order frmMain sets (cmbPref,
# cmbBPS, cmbCOM, cmdStart, cmdStop), never by positions, so a change of the
# form's layout cannot make a key miss. The focus starts on cmbPref; Start
# hands it to Stop, and Stop back to Start.
focus_window() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
}
window=$(window_named '^Quilvex')
sleep 2  # the first paint
focus_window "$window"
xdotool key Tab Tab Tab space  # Start
timeout 4.5 cat "$tmp/peer" >"$tmp/ticks" || true
title=$(xdotool getwindowname "$window")
echo "title while sending: $title"
import -window root -trim +repage "$build/quilvex-wine.png"
xdotool key space  # Stop
timeout 1.5 cat "$tmp/peer" >/dev/null || true  # what left before Stop
timeout 1.5 cat "$tmp/peer" >"$tmp/after" || true
echo "title after Stop: $(xdotool getwindowname "$window")"
cp "$tmp/ticks" "$build/com1-bytes.txt"
python3 - "$tmp/ticks" "$tmp/after" "$title" <<'PY'
import functools, operator, re, sys
data = open(sys.argv[1], 'rb').read().decode('ascii')
after = open(sys.argv[2], 'rb').read()
def valid(s):
    m = re.fullmatch(r'\$([^*]*)\*([0-9A-F]{2})', s)
    return m and functools.reduce(operator.xor, m.group(1).encode(), 0) == int(m.group(2), 16)
kinds = ['ZDA', 'GGA', 'GLL', 'VTG', 'RMC', 'GSA']
ticks = [t for t in re.findall(r'\$GPZDA[^$]*(?:\$GP(?!ZDA)[^$]*)*', data)
         if t.endswith('\r\n') and [s[3:6] for s in t.split('\r\n')[:-1]] == kinds
         and all(valid(s) for s in t.split('\r\n')[:-1])]
print(f"COM1: {len(data)} bytes, {len(ticks)} whole ticks; after Stop: {len(after)} bytes; the first:")
print(ticks[0] if ticks else data[:400], end='')
sys.exit(0 if len(ticks) >= 3 and not after and sys.argv[3] == 'Quilvex — 送信中: COM1 4800 bps' else 1)
PY
wineserver -k

# The receiver settings dialog by keyboard: standard NMEA 4.11 with all five
# systems at 5 Hz, kept in Wine's registry, then sent to COM1 and drawn in the sky view.
say "the window's receiver settings under Wine"
wine reg delete 'HKCU\Software\Quilvex' /f >/dev/null 2>&1 || true
(cd "$deploy" && exec wine quilvex.exe) & pids+=($!) && disown
window=$(window_named '^Quilvex')
sleep 2
focus_window "$window"
xdotool key F2
sleep 2
# 形式: the last, 4.11; the talker is GN alone there; GPS is ticked; the other
# four; 更新レート: 1, 2, 4, then 5 Hz.
xdotool key alt+f End Tab
for _ in 1 2 3 4; do xdotool key Tab space; done
xdotool key Tab Down Down Down
xdotool key Return
sleep 1
wine reg query 'HKCU\Software\Quilvex\Quilvex\receiver' | grep -E 'format|nmea|systems|hz' | sed 's/^ */  kept: /'
# 115200 bit/s, which carries a second of five-system ticks at 5 Hz; the
# dialog gave the focus back to cmbPref.
focus_window "$window"
xdotool key Tab ctrl+a type 115200
xdotool key Tab Tab space F3  # leaving the list confirms it; Start; the sky view
timeout 4.5 cat "$tmp/peer" >"$tmp/five" || true
import -window root -trim +repage "$build/quilvex-wine-sky.png"
echo "title while sending: $(xdotool getwindowname "$window")"
cp "$tmp/five" "$build/com1-five-systems.txt"
python3 - "$tmp/five" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read().decode('ascii')
talkers = sorted(set(re.findall(r'\$(G[PLABNQ])GSV', data)))
stamps = re.findall(r'\$GNGGA,(\d{6})\.(\d\d),', data)
most = max([[s for s, _ in stamps].count(s) for s, _ in stamps] or [0])
grid = all(cc[1] == '0' and cc[0] in '02468' for _, cc in stamps)
print(f"COM1: {len(data)} bytes, {len(stamps)} GNGGA, up to {most} in a second, hundredths {sorted(set(cc for _, cc in stamps))}, GSV from {' '.join(talkers)}")
sys.exit(0 if most > 1 and grid and talkers == ['GA', 'GB', 'GL', 'GP', 'GQ'] else 1)
PY
wineserver -k
wine reg delete 'HKCU\Software\Quilvex' /f >/dev/null 2>&1 || true

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
(cd "$deploy" && exec wine quilvex-nmea.exe --tcp "127.0.0.1:$port" --count 3 --quiet) & nmea=$!
python3 - "$port" <<'PY'
import socket, sys, time
for _ in range(200):
    try:
        s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=10)
        break
    except OSError:
        time.sleep(0.1)
data = b''
while chunk := s.recv(4096):
    data += chunk
print(f"TCP 127.0.0.1:{sys.argv[1]} read by a Linux client: {len(data)} bytes, {data.count(b'$GPZDA')} ticks")
sys.exit(0 if data.count(b'$GPZDA') >= 2 and data.endswith(b'\r\n') else 1)
PY
wait "$nmea"

# --- installer and zip, installed silently into a fresh prefix and run from there alone
if [ "$package" = 1 ]; then
    say "installer"
    (cd "$build" && rm -f Quilvex-*-win64.* && cpack -G "NSIS;ZIP" >/dev/null)
    installer=$(ls "$build"/Quilvex-*-win64.exe)
    ls -l "$installer" "$build"/Quilvex-*-win64.zip | awk '{print $5, $9}'
    unzip -Z1 "$build"/Quilvex-*-win64.zip | grep -v '/$' | sed 's|^[^/]*/|  |'
    export WINEPREFIX=$build/wine-install
    unset WINEPATH QT_PLUGIN_PATH
    rm -rf "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wine "$installer" /S '/D=C:\Quilvex'
    wineserver -w
    installed=$WINEPREFIX/drive_c/Quilvex
    echo "installed: $(cd "$installed" && find . -type f | sort | tr '\n' ' ')"
    find "$WINEPREFIX/drive_c" -iname 'Quilvex*.lnk' -printf 'Start menu: %P\n'
    (cd /tmp && TZ=JST-9 wine 'C:\Quilvex\quilvex-nmea.exe' --at 2010-09-16T04:51:35.127Z >"$tmp/tick")
    head -1 "$tmp/tick" | grep -q '^\$GPZDA,045135.12,16,09,2010,13,51\*68' && [ "$(wc -c <"$tmp/tick")" = 307 ] ||
        { echo "windows.sh: the installed quilvex-nmea.exe did not give the worked example" >&2; exit 1; }
    echo "installed quilvex-nmea.exe: the worked example's 307 bytes"
    (cd /tmp && exec wine 'C:\Quilvex\quilvex.exe') & pids+=($!) && disown
    window_named '^Quilvex$' >/dev/null
    echo "installed quilvex.exe: the window is up"
    wineserver -k
    echo "installed size: $(du -sb "$installed" | cut -f1) bytes"
    # A second install into another folder upgrades the first, which goes whole;
    # its uninstaller then leaves nothing: files, Start menu, Apps entry, registry keys.
    wine "$installer" /S
    wineserver -w
    upgraded="$WINEPREFIX/drive_c/Program Files/Quilvex"
    [ ! -e "$installed" ] && [ -e "$upgraded/quilvex.exe" ] ||
        { echo "windows.sh: a second install left $installed beside $upgraded" >&2; exit 1; }
    echo "installed again into C:\Program Files\Quilvex: C:\Quilvex is gone"
    wine 'C:\Program Files\Quilvex\Uninstall.exe' /S
    wineserver -w
    sleep 1
    left=$(ls -d "$installed" "$upgraded" 2>/dev/null; find "$WINEPREFIX/drive_c" -ipath '*Start Menu*quilvex*')
    if [ -n "$left" ] || wine reg query 'HKLM\Software\The Quilvex developers' >/dev/null 2>&1 ||
        wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quilvex' >/dev/null 2>&1; then
        echo "windows.sh: the uninstaller left ${left:-registry keys}" >&2; exit 1
    fi
    echo "uninstalled: no file, Start-menu entry or registry key is left"
fi

say "done: both programs run from $deploy"
