#!/bin/sh
# Builds the libFuzzer programs with clang 14 (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time on a seed
# corpus made from the golden cases. A crash, a hang (10 s per input), a
# sanitizer report, a leak, or more than 64 MB of memory fails the script.
# Prints executions per second and total executions of every target.
#
# Usage: scripts/tests.d/fuzz.sh [seconds per target, default 60]
set -eu
cd "$(dirname "$0")/../.."
seconds="${1:-${ORVANE_FUZZ_SECONDS:-60}}"
build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DORVANE_BUILD_FUZZERS=ON -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_GUI=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null

targets="export_fuzzer import_fuzzer line_reader_fuzzer text_number_fuzzer"
[ -e engine/pulse_power.cpp ] && targets="$targets pulse_power_fuzzer"
build_list=""
for t in $targets; do build_list="$build_list $t ${t}_replay"; done
# shellcheck disable=SC2086
ninja -C "$build" $build_list

# A small quarantine keeps the sanitizer's own memory inside the 64 MB limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=1:malloc_context_size=10:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# The working files of the targets, on a memory file system where there is one.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm="${TMPDIR:-/tmp}"
ORVANE_FUZZ_ROOT=$(mktemp -d "$shm/orvane-fuzz.XXXXXX")
export ORVANE_FUZZ_ROOT
trap 'rm -rf "$ORVANE_FUZZ_ROOT"' EXIT INT TERM
summary=""
failed=""
for t in $targets; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts"
  rm -rf "$corpus"
  mkdir -p "$corpus" "$artifacts"
  "$build/fuzz/${t}_replay" --write-seeds "$corpus" >/dev/null
  [ -d "fuzz/regressions/$t" ] && cp fuzz/regressions/"$t"/* "$corpus"/
  log="$build/$t.log"
  echo "== fuzzing $t for ${seconds} s"
  if "$build/fuzz/$t" "$corpus" -max_total_time="$seconds" -rss_limit_mb=64 -malloc_limit_mb=64 \
      -max_len=65536 -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/$t-" >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed="$failed $t"
    tail -n 60 "$log"
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
  summary="$summary$(printf '%-22s %-7s %12s execs %8s execs/s %5s MB peak' "$t" "$status" "${execs:-?}" "${rate:-?}" "${rss:-?}")
"
done
echo "== fuzzing summary (${seconds} s per target)"
printf '%s' "$summary"
if [ -n "$failed" ]; then
  echo "fuzzing failed:$failed (inputs in $build/artifacts)"
  exit 1
fi
