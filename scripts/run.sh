#!/usr/bin/env bash
# Builds the two programs and starts the Quilvex window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to open the Quilvex window on (DISPLAY and WAYLAND_DISPLAY are unset);" \
         "building quilvex-nmea, which sends without one." >&2
    # Every command the hint names works once it is printed.
    scripts/deps.sh build
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" --target quilvex-nmea
    xvfb="xvfb-run -a scripts/run.sh"
    command -v xvfb-run >/dev/null || xvfb="scripts/deps.sh xvfb && $xvfb"
    cat >&2 <<TEXT
- The window on a virtual display:  $xvfb
- Without a window:                 build/tools/nmea/quilvex-nmea --pty /tmp/gps
  (a virtual serial port at /tmp/gps for gpsd or cat; see README.md)
TEXT
    exit 1
fi
scripts/deps.sh build run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quilvex quilvex-nmea
exec build/app/quilvex "$@"
