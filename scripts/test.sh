#!/usr/bin/env bash
# Builds everything and runs every test, with no display needed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILVEX_WERROR=ON
cmake --build build -j"$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -LE soak -j"$(nproc)" "$@"
