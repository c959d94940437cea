#!/bin/bash
# A fuzzing campaign: runs every fuzz target (or the ones named) for SECONDS
# each, at most JOBS at a time (default: the number of cores), starting
# from the committed corpus, the seeds and the regression inputs; then
# merges what each found into a fresh, minimal corpus that replaces
# fuzz/corpus/<target> (commit it), and prints a table of executions,
# executions per second, coverage (libFuzzer's cov: and ft:) and peak
# memory per target. A target stops early after $ORVANE_FUZZ_RUNS inputs
# when that is set. Crashing inputs are kept in build-fuzz/campaign/artifacts;
# any crash makes the script fail.
#
# Usage: scripts/fuzz-campaign.sh SECONDS [TARGET...]
#   ORVANE_FUZZ_JOBS=N  targets fuzzed side by side (default: nproc)
#   ORVANE_FUZZ_RUNS=N  stop a target after N inputs
# kill -USR1 on a target's process ends it early, as if its time were up.
# Overnight, 10^7 inputs per target (fuzz/README.md):
#   ORVANE_FUZZ_JOBS=2 ORVANE_FUZZ_RUNS=10000000 nice -n 10 scripts/fuzz-campaign.sh 36000
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz-campaign.sh SECONDS [TARGET...]}"
shift
build=build-fuzz
all_targets=$(fuzz/build-fuzzers.sh "$build")
targets="${*:-$all_targets}"
jobs="${ORVANE_FUZZ_JOBS:-$(nproc)}"
runs="${ORVANE_FUZZ_RUNS:+-runs=$ORVANE_FUZZ_RUNS}"
. fuzz/fuzz-common.sh
fuzz_root
trap 'rm -rf "$ORVANE_FUZZ_ROOT"' EXIT
fuzz_check_leak_checker "$build/fuzz/text_number_fuzzer_replay"

campaign="$build/campaign"
artifacts="$campaign/artifacts"
mkdir -p "$artifacts"

# Fuzzes one target into its working corpus; the exit status is libFuzzer's.
fuzz_target() {
  local t="$1" dir="$campaign/$1"
  rm -rf "$dir"
  mkdir -p "$dir/work" "$dir/seeds"
  "$build/fuzz/${t}_replay" --write-seeds "$dir/seeds" >/dev/null
  local inputs=("$dir/seeds")
  for extra in "fuzz/corpus/$t" "fuzz/regressions/$t"; do [ -d "$extra" ] && inputs+=("$extra"); done
  # shellcheck disable=SC2086
  "$build/fuzz/$t" "$dir/work" "${inputs[@]}" -max_total_time="$seconds" $runs $ORVANE_FUZZ_LIMITS $(fuzz_max_len "$t") \
    -print_final_stats=1 -artifact_prefix="$artifacts/$t-" >"$dir/fuzz.log" 2>&1
}

declare -A status
running=0
for t in $targets; do
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  echo "== fuzzing $t for up to ${seconds} s ($(date +%H:%M:%S))"
  (fuzz_target "$t" && touch "$campaign/$t/ok") &
  running=$((running + 1))
done
wait || true

# Merges into a fresh folder that starts with the seeds under the names
# libFuzzer gives (the SHA-1 of the content), so that what it adds covers
# more than the seeds; the seeds are then taken out again, as every run
# makes them anew. The committed corpus holds only inputs that still add
# coverage.
failed=""
table=""
for t in $targets; do
  dir="$campaign/$t"
  if [ -e "$dir/ok" ]; then status[$t]=ok; else status[$t]=FAILED; failed="$failed $t"; fi
  rm -rf "$dir/merged"
  mkdir -p "$dir/merged"
  seeded=()
  for seed in "$dir/seeds"/*; do
    [ -f "$seed" ] || continue
    name=$(sha1sum "$seed" | cut -d' ' -f1)
    cp "$seed" "$dir/merged/$name"
    seeded+=("$dir/merged/$name")
  done
  inputs=("$dir/work")
  [ -d "fuzz/corpus/$t" ] && inputs+=("fuzz/corpus/$t")
  # shellcheck disable=SC2086
  if "$build/fuzz/$t" -merge=1 "$dir/merged" "${inputs[@]}" $ORVANE_FUZZ_LIMITS $(fuzz_max_len "$t") \
      >"$dir/merge.log" 2>&1; then
    rm -f "${seeded[@]}"
    rm -rf "fuzz/corpus/$t"
    mkdir -p "fuzz/corpus/$t"
    cp "$dir/merged"/* "fuzz/corpus/$t"/ 2>/dev/null || true
  else
    status[$t]=FAILED
    failed="$failed $t(merge)"
  fi
  read -r execs rate cov ft rss <<<"$(fuzz_stats "$dir/fuzz.log")"
  files=$(find "fuzz/corpus/$t" -type f | wc -l)
  kb=$(($(find "fuzz/corpus/$t" -type f -printf '%s\n' | awk '{ n += $1 } END { print n + 0 }') / 1024))
  table+=$(printf '%-20s %-7s %10s %8s %6s %7s %6s %6s %7s' "$t" "${status[$t]}" "$execs" "$rate" "$cov" "$ft" "$rss" "$files" "$kb")
  table+=$'\n'
done
echo "== campaign of ${seconds} s per target, ${jobs} at a time"
printf '%-20s %-7s %10s %8s %6s %7s %6s %6s %7s\n' target status execs execs/s cov ft rss_MB inputs corp_KB
printf '%s' "$table"
if [ -n "$failed" ]; then
  echo "campaign found faults in:$failed (inputs in $artifacts, logs in $campaign/<target>/fuzz.log)"
  ls "$artifacts"
  exit 1
fi
