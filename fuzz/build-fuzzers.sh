#!/bin/sh
# Configures and builds the libFuzzer programs and their replay programs in
# build-fuzz with clang 14, AddressSanitizer and UndefinedBehaviorSanitizer
# on, and prints the names of the targets, one a line. Shared by
# scripts/tests.d/fuzz.sh and scripts/fuzz-campaign.sh.
#
# Usage: fuzz/build-fuzzers.sh BUILD_DIR   (run from the source folder)
set -eu
build="$1"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DORVANE_BUILD_FUZZERS=ON -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null
# The target list is the one fuzz/CMakeLists.txt builds.
targets=$(sed -n '/^set(ORVANE_FUZZ_TARGETS/,/)/p' fuzz/CMakeLists.txt |
  sed 's/set(ORVANE_FUZZ_TARGETS//; s/)//' | tr -s ' \n' '\n\n' | grep -v '^$')
build_list=""
for t in $targets; do build_list="$build_list $t ${t}_replay"; done
# shellcheck disable=SC2086
ninja -C "$build" -j "${ORVANE_BUILD_JOBS:-2}" $build_list >&2
echo "$targets"
