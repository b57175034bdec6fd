#!/usr/bin/env bash
# Tick phase under Wine: quilvex-nmea.exe (QUILVEX_TICK_DEBUG=1) beside the
# bare SecondSleeper.exe, side by side for N seconds; prints how late after
# the whole second each woke (ms). A measurement, not a test.
#   bench/windows/tick_phase.sh [SECONDS]   after scripts/windows.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
n=${1:-60}
build=$PWD/build-win
export WINEPREFIX=${QUILVEX_WINEPREFIX:-$build/wine} WINEDEBUG=-all
x86_64-w64-mingw32-gcc-posix -O2 -Wall -Werror bench/windows/SecondSleeper.c -lwinmm -o "$build/SecondSleeper.exe"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
wine "$build/SecondSleeper.exe" "$n" >"$tmp/bare" &
(cd "$build/Quilvex" && QUILVEX_TICK_DEBUG=1 wine quilvex-nmea.exe --count "$n" --quiet 2>"$tmp/debug" >/dev/null)
wait
sed -n 's/.*UTC: \([-0-9.]*\) ms late.*/\1/p' "$tmp/debug" >"$tmp/quilvex"
python3 - "$tmp/quilvex" "$tmp/bare" <<'PY'
import statistics, sys
for name, path in (("quilvex-nmea.exe", sys.argv[1]), ("bare SecondSleeper.exe", sys.argv[2])):
    late = sorted([float(x) for x in open(path) if x.strip()][1:])  # the first wake-up pays Wine's start
    if not late:
        print(f"{name}: no ticks"); continue
    q = lambda p: late[min(len(late) - 1, int(p * len(late)))]
    print(f"{name}: {len(late)} ticks, late after the second: median {statistics.median(late):.3f} ms, "
          f"p90 {q(0.9):.3f} ms, max {late[-1]:.3f} ms, min {late[0]:.3f} ms")
PY
