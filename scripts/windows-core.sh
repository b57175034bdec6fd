#!/usr/bin/env bash
# Cross-builds the Qt-free core and its tests for Windows with MinGW-w64 and
# runs them under Wine, so the Windows clock and port-name paths are tested.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILVEX_CORE_ONLY=ON -DQUILVEX_WERROR=ON -DQUILVEX_GTEST_SOURCE=/usr/src/googletest
cmake --build build-win -j"$(nproc)"
# The first Wine start makes its prefix; do it outside the test's timeout.
WINEDEBUG=-all wineboot --init >/dev/null 2>&1 || true
(cd build-win && ctest --output-on-failure)
