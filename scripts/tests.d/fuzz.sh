#!/bin/sh
# Builds the libFuzzer programs with clang 14 (AddressSanitizer and
# UndefinedBehaviorSanitizer on), replays the committed corpus
# (fuzz/corpus/<target>, the result of the last campaign), the inputs that
# once failed (fuzz/regressions) and the seeds, and fuzzes each target on
# from there for a short while (20 s each: all targets in under three
# minutes). A crash, a sanitizer report, a leak, an input taking over 10 s,
# one allocation over 64 MB or a process over 2 GB fails the script: each
# is a fault. Found inputs go to a scratch corpus, never into fuzz/corpus
# (see scripts/fuzz-campaign.sh for that). Without clang 14 there is
# nothing to run, and the script says so and passes.
#
# Where the leak checker cannot run (it needs to stop the process's
# threads with ptrace, which some containers forbid), leaks go unchecked
# and the script says so, instead of failing on every input.
#
# Usage: scripts/tests.d/fuzz.sh [seconds per target, default 20]
set -eu
cd "$(dirname "$0")/../.."
seconds="${1:-${ORVANE_FUZZ_SECONDS:-20}}"
build=build-fuzz
if ! command -v clang++-14 >/dev/null 2>&1; then
  echo "fuzz: clang++-14 is not installed (scripts/install-deps.sh installs it); nothing fuzzed"
  exit 0
fi
targets=$(fuzz/build-fuzzers.sh "$build")
. fuzz/fuzz-common.sh
fuzz_root
trap 'rm -rf "$ORVANE_FUZZ_ROOT"' EXIT INT TERM
fuzz_check_leak_checker "$build/fuzz/text_number_fuzzer_replay"
summary=""
failed=""
artifacts="$build/artifacts"
mkdir -p "$artifacts"
for t in $targets; do
  scratch="$build/corpus/$t"
  seeds="$build/seeds/$t"
  rm -rf "$scratch" "$seeds"
  mkdir -p "$scratch" "$seeds"
  "$build/fuzz/${t}_replay" --write-seeds "$seeds" >/dev/null
  inputs="$seeds"
  for dir in "fuzz/corpus/$t" "fuzz/regressions/$t"; do [ -d "$dir" ] && inputs="$inputs $dir"; done
  log="$build/$t.log"
  echo "== fuzzing $t for ${seconds} s"
  # shellcheck disable=SC2086
  if "$build/fuzz/$t" "$scratch" $inputs -max_total_time="$seconds" $ORVANE_FUZZ_LIMITS $(fuzz_max_len "$t") \
      -print_final_stats=1 -artifact_prefix="$artifacts/$t-" >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed="$failed $t"
    tail -n 60 "$log"
  fi
  set -- $(fuzz_stats "$log")
  summary="$summary$(printf '%-20s %-7s %10s execs %6s execs/s cov %5s ft %6s %5s MB peak' "$t" "$status" "$1" "$2" "$3" "$4" "$5")
"
done
echo "== fuzzing summary (${seconds} s per target)"
printf '%s' "$summary"
if [ -n "$failed" ]; then
  echo "fuzzing failed:$failed (inputs in $build/artifacts)"
  exit 1
fi
