#!/usr/bin/env bash
# Builds the window's program and starts it; quilvex-nmea is built after, in
# the background. The build is build-run/: optimised, without debug
# information or tests, so the window comes up soon after a fresh clone.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-run
configure() {
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILVEX_TESTS=OFF -DQUILVEX_BENCH=OFF >/dev/null
}
# One build at a time in build-run/, whichever run.sh started it.
build_targets() {
    flock "$build/.lock" cmake --build "$build" -j"$(nproc)" --target "$@"
}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to open the Quilvex window on (DISPLAY and WAYLAND_DISPLAY are unset);" \
         "building quilvex-nmea, which sends without one." >&2
    # Every command the hint names works once it is printed.
    scripts/deps.sh build
    configure
    build_targets quilvex-nmea
    xvfb="xvfb-run -a scripts/run.sh"
    command -v xvfb-run >/dev/null || xvfb="scripts/deps.sh xvfb && $xvfb"
    cat >&2 <<TEXT
- The window on a virtual display:  $xvfb
- Without a window:                 $build/tools/nmea/quilvex-nmea --pty /tmp/gps
  (a virtual serial port at /tmp/gps for gpsd or cat; see README.md)
TEXT
    exit 1
fi
scripts/deps.sh build run
configure
build_targets quilvex
# The window does not wait for quilvex-nmea: it is built at low priority
# while the window runs, and its build goes on if the window is closed.
echo "run.sh: building $build/tools/nmea/quilvex-nmea in the background (log: $build/quilvex-nmea.log)" >&2
(nice -n 19 flock "$build/.lock" cmake --build "$build" -j"$(nproc)" --target quilvex-nmea \
    >"$build/quilvex-nmea.log" 2>&1 </dev/null &)
exec "$build/app/quilvex" "$@"
