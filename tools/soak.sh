#!/usr/bin/env bash
# The one-hour soak: 216,000 updates of autopiloted play on the windowless host, in the
# sanitizer build (LeakSanitizer reports at the end). Writes the memory samples, a line a
# minute, to docs/soak.txt. Takes a few minutes; not part of tools/test.sh,
# which runs a 10,000-update version.
# Usage: tools/soak.sh [sanitizer build folder, default build-asan]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-asan}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DKX_SANITIZE=ON -DKX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$build" -j"$(nproc)" --target test_game
# Freed blocks wait in the sanitizer's quarantine (256 MiB by default) before they are reused;
# a small one keeps the resident figure about the program rather than about the quarantine.
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=8
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
KX_SOAK_HOUR=1 "$build/tests/test_game" --gtest_filter='SoakTest.*' | tee "$build/soak.log"
grep -E '^minute|^ +[0-9]+ |^games played' "$build/soak.log" >docs/soak.txt
