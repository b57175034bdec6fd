#!/usr/bin/env bash
# Builds the two programs and starts the Quilvex window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'TEXT'
No display to open the Quilvex window on (DISPLAY and WAYLAND_DISPLAY are unset).
- With Xvfb installed:   xvfb-run -a scripts/run.sh
- Without a window:      cmake -S . -B build && cmake --build build --target quilvex-nmea
                         build/tools/nmea/quilvex-nmea --pty /tmp/gps --count 0
  (a virtual serial port at /tmp/gps for gpsd or cat; see README.md)
TEXT
    exit 1
fi
scripts/deps.sh build run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target quilvex quilvex-nmea
exec build/app/quilvex "$@"
