#!/usr/bin/env bash
# The toolkit benchmark: orvane-cli stats, diff and check --json on a 360 MB
# pulse file held in the page cache, against reading the same bytes with cat
# in the same run. Prints a Markdown table on standard output.
#
# Usage: bench/toolkit_bench.sh [BUILD_DIR] [--runs N] [--workdir DIR]
#   BUILD_DIR  a build with orvane-cli and bench/make_pulse_file (default: build)
#   --runs N   runs per figure, medians quoted (default 5)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build
runs=5
workparent=${TMPDIR:-/tmp}
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --workdir) workparent=$2; shift 2 ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
CLI=$build/cli/orvane-cli
GEN=$build/bench/make_pulse_file
[ -x "$CLI" ] && [ -x "$GEN" ] || { echo "build $build lacks orvane-cli or bench/make_pulse_file" >&2; exit 2; }

work=$(mktemp -d "$workparent/orvane-toolkit-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# 30 records of each kind: 120 MB of T, R and I samples each.
"$GEN" "$work/a.spf" 30 2000000 30 1000000 30 2000000 1 >/dev/null
cp "$work/a.spf" "$work/same.spf"
"$GEN" "$work/other.spf" 30 2000000 30 1000000 30 2000000 2 >/dev/null
samples=$((30 * 2000000 * 2 + 30 * 1000000 * 4 + 30 * 2000000 * 2))
cat "$work"/*.spf >/dev/null

# The median wall time in seconds of running "$@" $runs times (exit 0 or 1).
median() {
  local times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null || [ $? -le 1 ]
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}
rate() { echo "scale=2; $samples / $1 / 1000000000" | bc -l; }
ratio() { echo "scale=2; $1 / $2" | bc -l; }

cat_a=$(median cat "$work/a.spf")
stats=$(median "$CLI" stats "$work/a.spf")
diff_same=$(median "$CLI" diff "$work/a.spf" "$work/same.spf")
diff_other=$(median "$CLI" diff "$work/a.spf" "$work/other.spf")
check=$(median "$CLI" check "$work/a.spf")
check_json=$(median "$CLI" check --json "$work/a.spf")

echo "| toolkit, 360 MB of samples, cached, $runs runs | median s | GB/s of samples | ratio |"
echo "|---|---|---|---|"
echo "| floor: cat of the file | $cat_a | $(rate "$cat_a") | 1 |"
echo "| stats (every record) | $stats | $(rate "$stats") | $(ratio "$stats" "$cat_a") × cat |"
echo "| diff, equal files | $diff_same | $(rate "$diff_same") | $(ratio "$diff_same" "$cat_a") × cat |"
echo "| diff, every sample differs | $diff_other | $(rate "$diff_other") | $(ratio "$diff_other" "$cat_a") × cat |"
echo "| check | $check | $(rate "$check") | $(ratio "$check" "$cat_a") × cat |"
echo "| check --json | $check_json | $(rate "$check_json") | $(ratio "$check_json" "$check") × check |"
