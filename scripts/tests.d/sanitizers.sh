#!/bin/sh
# Builds the whole project but the desktop program with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole test suite on it. Any
# sanitizer report fails the test that caused it.
#
# Usage: scripts/tests.d/sanitizers.sh
set -eu
cd "$(dirname "$0")/../.."
build=build-asan
# The vptr check is left out: GoogleTest's prebuilt library and the tests
# each carry the type information of its parameter generators, and the check
# takes the two copies for different types.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-fno-sanitize=vptr" \
  -DORVANE_SANITIZE=ON -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null
ninja -C "$build"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# What runs here is every test that drives engine code: the engine, golden,
# command-line, robustness and fuzz replay tests. The desktop program and its
# screenshot and dialog tests are not built (their faults are Qt's and show
# in the plain build), nor is the Python module (its extension would need the
# sanitizer runtime preloaded into the interpreter); both go through the
# same engine, which is checked here through its own tests.
# The 10^8-number differential tests check arithmetic, which the sanitizers
# add nothing to but a tenfold time; their quick samples run here, the full
# tests in the plain build.
ctest --test-dir "$build" --output-on-failure -j2 -E '^slow\.NumberDifferential\.Random'
