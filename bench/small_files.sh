#!/usr/bin/env bash
# Many small files: orvane-cli converts a batch of small pulse files to text
# in one command, set beside `cp -r` of the same output (16,000 text files
# for 2,000 pulse files), the floor of writing that many files. Prints a
# Markdown table on standard output, progress on standard error.
#
# Usage: bench/small_files.sh [BUILD_DIR] [--runs N] [--files N] [--workdir DIR]
#   BUILD_DIR  build folder with orvane-cli, make_pulse_file and measure_run
#              (default: build-bench)
#   --runs N   runs of each, alternating, medians quoted (default 5)
#   --files N  pulse files in the batch (default 2000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=build-bench
runs=5
files=2000
workparent=${TMPDIR:-/tmp}
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --workdir) workparent=$2; shift 2 ;;
    -*) echo "usage: $0 [BUILD_DIR] [--runs N] [--files N] [--workdir DIR]" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
case $build in /*) ;; *) build=$(cd "$here/.." && pwd)/$build ;; esac
for tool in cli/orvane-cli bench/make_pulse_file bench/measure_run; do
  [ -x "$build/$tool" ] || { echo "small_files: $build/$tool is not built" >&2; exit 1; }
done
CLI=$build/cli/orvane-cli
GEN=$build/bench/make_pulse_file
MEASURE=$build/bench/measure_run
log() { echo "[small files $(date -u +%H:%M:%S)] $*" >&2; }

work=$(mktemp -d "$workparent/orvane-small.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/results"
# Three T records of 400 samples, two R of 200 and two I of 400: about
# 7 KB of pulse file and 30 KB of text in 8 files each.
log "generating $files pulse files"
for ((i = 1; i <= files; i++)); do "$GEN" "$work/in/f$i.spf" 3 400 2 200 2 400 "$i" >/dev/null; done

# measure KEY COMMAND...: one run after a sync, as run_bench.sh measures.
measure() {
  local key=$1 line
  shift
  sync
  line=$("$MEASURE" "$@")
  [ "${line##* }" = 0 ] || { echo "small_files: command failed: $*" >&2; exit 1; }
  echo "$line" >>"$work/results/$key"
}
median() {
  awk -v c="$2" '{print $c}' "$work/results/$1" | sort -g |
    awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
minimum() { awk -v c="$2" 'NR == 1 || $c < m {m = $c} END {print m}' "$work/results/$1"; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }

cd "$work"
log "$runs runs of the batch and of cp -r of its output, alternating"
for ((r = 1; r <= runs; r++)); do
  rm -rf out copy
  mkdir out
  measure batch "$CLI" -q -o out to-ascii in/*.spf
  measure copy cp -r out copy
done
outputs=$(find out -type f | wc -l)
text=$(du -sb out | cut -f1)
pulse=$(du -sb in | cut -f1)

b=$(median batch 1); c=$(median copy 1)
echo "| Batch | Text files out | orvane-cli s (CPU s) | cp -r of the output s (CPU s) | orvane-cli / cp -r | best runs | Goal | Met |"
echo "|---|---:|---:|---:|---:|---:|---|---|"
printf '| %s pulse files, %s MB, to %s MB of text | %s | %.3f (%.3f) | %.3f (%.3f) | %.2f× | %.2f× | ≤ 2× | %s |\n' \
  "$files" "$(calc %.1f "$pulse / 1e6")" "$(calc %.1f "$text / 1e6")" "$outputs" "$b" "$(median batch 2)" "$c" \
  "$(median copy 2)" "$(calc %.4f "$b / $c")" "$(calc %.4f "$(minimum batch 1) / $(minimum copy 1)")" \
  "$(awk "BEGIN {print ($b / $c <= 2) ? \"yes\" : \"**no**\"}")"
