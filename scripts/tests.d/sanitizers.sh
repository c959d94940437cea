#!/bin/sh
# Builds the whole project but the desktop program with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole test suite on it. Any
# sanitizer report fails the test that caused it.
#
# Usage: scripts/tests.d/sanitizers.sh
set -eu
cd "$(dirname "$0")/../.."
build=build-asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON \
  -DORVANE_SANITIZE=ON -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null
ninja -C "$build"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$build" --output-on-failure -j2
