#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds, and runs every test: once in a
# normal build and once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash tools/setup.sh build
ctest --test-dir build --output-on-failure -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
bash tools/setup.sh build-asan -DKX_SANITIZE=ON -DKX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Every fuzz target replays its seeds and kept crash cases, then searches for 30 seconds.
bash tools/fuzz.sh 30
