#!/usr/bin/env bash
# Builds and starts Quilvex.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
exec build/tools/nmea/quilvex-nmea "$@"
