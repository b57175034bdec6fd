#!/usr/bin/env bash
# Builds the two programs and starts the Quilvex window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    if command -v xvfb-run >/dev/null; then
        xvfb="xvfb-run -a scripts/run.sh"
    else
        xvfb="sudo apt-get install xvfb xauth   (then: xvfb-run -a scripts/run.sh)"
    fi
    cat >&2 <<TEXT
No display to open the Quilvex window on (DISPLAY and WAYLAND_DISPLAY are unset).
- On a virtual display:  $xvfb
- Without a window:      cmake -S . -B build && cmake --build build --target quilvex-nmea
                         build/tools/nmea/quilvex-nmea --pty /tmp/gps
  (a virtual serial port at /tmp/gps for gpsd or cat; see README.md)
TEXT
    exit 1
fi
scripts/deps.sh build run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quilvex quilvex-nmea
exec build/app/quilvex "$@"
