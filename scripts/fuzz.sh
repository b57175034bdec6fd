#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan/UBSan and runs each for
# a while (default 40 s) from its seed corpus kept in tests/fuzz/corpus.
# A crash fails the run and leaves the input in build-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build fuzz
seconds="${1:-40}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILVEX_FUZZ=ON -DQUILVEX_SANITIZE=ON -DQUILVEX_WERROR=ON -DQUILVEX_CORE_ONLY=ON -DQUILVEX_BENCH=OFF
cmake --build build-fuzz -j"$(nproc)"
mkdir -p build-fuzz/artifacts
# target:seed corpus:longest input (GPX long enough to nest past the bound)
for entry in TextFuzz:text:256 GpxFuzz:gpx:4096; do
    IFS=: read -r target corpus longest <<<"$entry"
    seeds="tests/fuzz/corpus/$corpus"
    scratch="$(mktemp -d)"  # new finds go here, the kept corpus stays small
    echo "fuzzing $target for ${seconds}s"
    status=0
    "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$longest" \
        -artifact_prefix=build-fuzz/artifacts/ "$scratch" "$seeds" >"$scratch.log" 2>&1 || status=$?
    grep -E 'DONE|ERROR|SUMMARY|runtime error|#[0-9]+ 0x' "$scratch.log" | head -40 || true
    rm -rf "$scratch" "$scratch.log"
    [ "$status" -eq 0 ] || { echo "$target failed"; exit 1; }
done
