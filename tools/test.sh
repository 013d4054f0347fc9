#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds, and runs every test: once in a
# normal build and once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# shellcheck source=tests/support/wait.sh
. tests/support/wait.sh

# Every process the suites start inherits this mark, which tells what they leave running from the
# X servers and games of other people on a shared machine.
export KX_TEST_RUN="$$.$(date +%s%N)"
# The servers, games (also as the test programs that hold them) and helpers of this run still
# running, as "pid command" lines.
leftovers() {
  local pid
  for pid in $(pgrep -f '(^|/)(Xvfb|skarblit|test_|kx_|host_|net_|runtime_|fuzz_|bench_|xdotool)'); do
    if grep -qzx "KX_TEST_RUN=$KX_TEST_RUN" "/proc/$pid/environ" 2>/dev/null; then
      ps -o pid=,args= -p "$pid" || true
    fi
  done
}
no_leftovers() { [ -z "$(leftovers)" ]; }
# However the suites end, nothing they started may still run: what was just killed may take
# its time to go, short of a hang; anything left then is listed, stopped, and fails the run.
check_leftovers() {
  local status=$? left
  kx_wait_for no_leftovers || true
  left=$(leftovers)
  if [ -n "$left" ]; then
    printf 'FAILED: the tests left these processes running (now killed):\n%s\n' "$left" >&2
    awk '{print $1}' <<<"$left" | xargs -r kill -9
    status=1
  fi
  exit "$status"
}
trap check_leftovers EXIT

bash tools/setup.sh build
ctest --test-dir build --output-on-failure -j"$jobs"

# The web build, played in Debian's Chromium; its recordings are verified by the desktop's.
bash tools/web.sh
bash tools/web_test.sh

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
bash tools/setup.sh build-asan -DKX_SANITIZE=ON -DKX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Every fuzz target replays its seeds and kept crash cases, then searches for 10 seconds.
bash tools/fuzz.sh 10
