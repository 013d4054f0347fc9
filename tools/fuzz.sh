#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz/) with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then runs each one from its seed corpus for a
# bounded time. Fails on the first crash, leak, failed check or time-out.
# Usage: tools/fuzz.sh [seconds per target, default 30] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(string_load state wav ogg image url http replay)

cmake -S tests/fuzz -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ALSOFT_DRIVERS=null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
cat tests/lsan.supp tests/fuzz/lsan.supp >"$work/lsan.supp"
export LSAN_OPTIONS=suppressions=$work/lsan.supp:print_suppressions=0

for t in "${targets[@]}"; do
  # New finds go to a scratch folder so the committed corpus stays the hand-picked seeds and
  # the kept crash cases; those are all replayed first.
  mkdir -p "$work/$t"
  echo "== fuzz_$t: ${seconds}s"
  # An input that runs for minutes has hung, however loaded the machine; anything less has not.
  if ! ./build-fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=300 -rss_limit_mb=4096 \
      -print_final_stats=1 -artifact_prefix="$work/" \
      "$work/$t" "tests/fuzz/corpus/$t" >"$work/$t.log" 2>&1; then
    tail -n 60 "$work/$t.log"
    for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
      [ -e "$crash" ] || continue
      mkdir -p build-fuzz/crashes
      cp "$crash" build-fuzz/crashes/
      echo "Input kept as build-fuzz/crashes/$(basename "$crash")"
    done
    echo "fuzz_$t FAILED"
    exit 1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$t.log" | tr '\n' ' '
  echo
done
echo "All fuzz targets ran clean."
