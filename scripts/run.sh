#!/usr/bin/env bash
# Builds and starts Quilvex.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to open the Quilvex window on (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    echo "Without a window, send the sentences with build/tools/nmea/quilvex-nmea --port PORT (see README.md)." >&2
    exit 1
fi
exec build/app/quilvex "$@"
