#!/usr/bin/env bash
# The conversion benchmark: times the engine, the naive stdio conversion and a
# plain copy on the same generated pulse files, and prints a Markdown report
# on standard output (progress goes to standard error).
#
# Usage: bench/run_bench.sh [BUILD_DIR] [--runs N] [--big] [--workdir DIR] [--keep]
#   BUILD_DIR  build folder with the bench targets (default: build-bench);
#              configured (Release, no GUI) and built when needed
#   --runs N   runs per figure, medians quoted (default 5)
#   --big      also a 1 GB growth step, and pulse power on a 1 GB file
#   --workdir  where the temporary folder goes (default: $TMPDIR or /tmp)
#   --keep     keep the generated files and the raw figures
#   --report DIR  print the report of a run kept in DIR again, measuring nothing
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=""
runs=5
big=0
keep=0
workparent=${TMPDIR:-/tmp}
naive_pp_runs=1  # the naive pulse power reads the whole file about 40 times per run
report_only=""

while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --big) big=1; shift ;;
    --workdir) workparent=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --report) report_only=$2; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) build=$1; shift ;;
  esac
done
build=${build:-$root/build-bench}

log() { echo "[bench $(date -u +%H:%M:%S)] $*" >&2; }

# ------------------------------------------------------------------ tools

GEN=$build/bench/make_pulse_file
NAIVE=$build/bench/naive_convert
ENGINE=$build/bench/orvane_bench
MEASURE=$build/bench/measure_run
MICRO=$build/bench/micro_bench
NUMPY_TOOL=$here/numpy_convert.py

prepare() {
  if [ ! -f "$build/build.ninja" ] && [ -x "$GEN" ] && [ -x "$NAIVE" ] && [ -x "$ENGINE" ] && [ -x "$MEASURE" ]; then
    log "using the tools in $build as they are (no build files)"
  elif [ ! -f "$build/build.ninja" ]; then
    log "configuring $build"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_GUI=OFF >&2
  fi
  [ -f "$build/build.ninja" ] && ninja -C "$build" make_pulse_file naive_convert measure_run orvane_bench orvane-cli >&2
  if [ -f "$build/build.ninja" ] && ninja -C "$build" -t targets all 2>/dev/null | grep -q '^micro_bench:'; then
    ninja -C "$build" micro_bench >&2
  fi
  work=$(mktemp -d "$workparent/orvane-bench.XXXXXX")
  if [ "$keep" = 1 ]; then log "files kept in $work"; else trap 'rm -rf "$work"' EXIT; fi
  mkdir "$work/results"
}

# ------------------------------------------------------------------ measuring

# measure KEY COMMAND...: one timed run, appended to results/KEY as
# "wall cpu rss_kib rchar wchar exit". A failing command ends the benchmark.
# Dirty pages of earlier runs are written back first (sync drops nothing
# from the page cache), so that no run pays for the writeback of another.
measure() {
  local key=$1 line
  shift
  sync
  line=$("$MEASURE" "$@")
  if [ "${line##* }" != 0 ]; then
    echo "benchmark command failed (${line##* }): $*" >&2
    exit 1
  fi
  echo "$line" >>"$work/results/$key"
}

# median KEY COLUMN / maximum KEY COLUMN over the runs of KEY.
median() {
  awk -v c="$2" '{print $c}' "$work/results/$1" | sort -g |
    awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
maximum() { awk -v c="$2" 'NR == 1 || $c > m {m = $c} END {print m}' "$work/results/$1"; }
minimum() { awk -v c="$2" 'NR == 1 || $c < m {m = $c} END {print m}' "$work/results/$1"; }
has() { [ -s "$work/results/$1" ]; }

file_bytes() { stat -c %s "$1"; }
text_files() { ls "$1".pfh "$1".[TRI][0-9]*; }
text_bytes() { text_files "$1" | xargs stat -c %s | awk '{s += $1} END {print s}'; }
remove_text() { rm -f "$1".pfh "$1".[TRI][0-9]*; }

# copy_limit KEY SOURCE: cp of SOURCE onto a fresh name, runs times.
copy_limit() {
  local r
  for ((r = 1; r <= runs; r++)); do
    rm -f "$work/copy.out"
    measure "$1" cp "$2" "$work/copy.out"
  done
  rm -f "$work/copy.out"
}

# write_floor KEY BYTES TARGET: dd of BYTES from memory (/dev/zero) over the
# existing file TARGET, what writing an export's output costs at least.
write_floor() {
  local r
  for ((r = 1; r <= runs; r++)); do
    measure "$1" dd if=/dev/zero of="$3" bs=1M count="$2" iflag=count_bytes conv=notrunc status=none
  done
}

# read_sync_floor KEY TEXT BYTES TARGET: reading the text (cat > /dev/null)
# plus a synced dd of BYTES (the pulse file's size) onto TARGET, the least an
# import does.
read_sync_floor() {
  local r
  for ((r = 1; r <= runs; r++)); do
    rm -f "$4"
    measure "$1" bash -c 'cat "$1" >/dev/null && dd if=/dev/zero of="$2" bs=1M count="$3" iflag=count_bytes conv=fsync status=none' \
      floor "$2" "$4" "$3"
  done
  rm -f "$4"
}

# Record mix of the growth files: c records of each kind, T and I records
# of 2s samples, R records of s samples (12 c s bytes of samples), with
# s at most 1,000,000 so that labelled R lines keep six-digit indices.
make_sized() {
  local mb=$1 out=$2 c s
  c=$(( (mb + 11) / 12 ))
  s=$(( mb * 1000000 / (12 * c) ))
  "$GEN" "$out" "$c" $((2 * s)) "$c" "$s" "$c" $((2 * s)) 7 >/dev/null
}

# ------------------------------------------------------------------ consistency check

# On a small file: the engine's export, import and export again give the same
# text; the naive import of the engine's text and the engine's import of the
# naive text both give the engine's pulse file. This shows that the generated
# files are valid and that the naive tool does the same work.
check_failed() { echo "consistency check failed: $*" >&2; exit 1; }
check_tools() {
  local layout d f
  for layout in labelled bare; do
    d=$work/check-$layout
    mkdir -p "$d/a" "$d/b" "$d/c" "$d/d"
    "$GEN" "$d/a/s.spf" 3 1001 3 503 3 777 11 >/dev/null
    "$ENGINE" validate "$d/a/s.spf" || check_failed "the engine finds the generated file invalid"
    "$NAIVE" validate "$d/a/s.spf" || check_failed "naive_convert finds the generated file invalid"
    "$ENGINE" export "$d/a/s" "$layout" || check_failed "engine export ($layout)"
    local texts
    mapfile -t texts < <(text_files "$d/a/s")
    cp "${texts[@]}" "$d/b/"
    cp "${texts[@]}" "$d/c/"
    cp "$d/a/s.spf" "$d/d/"
    "$ENGINE" import "$d/b/s" "$layout" || check_failed "engine import ($layout)"
    "$NAIVE" import "$d/c/s" "$layout" || check_failed "naive import ($layout)"
    cmp -s "$d/b/s.spf" "$d/c/s.spf" || check_failed "naive and engine imports differ ($layout)"
    "$NAIVE" export "$d/d/s" "$layout" || check_failed "naive export ($layout)"
    "$ENGINE" import "$d/d/s" "$layout" || check_failed "engine import of the naive text ($layout)"
    cmp -s "$d/b/s.spf" "$d/d/s.spf" || check_failed "the naive text imports differently ($layout)"
    remove_text "$d/b/s"
    "$ENGINE" export "$d/b/s" "$layout" || check_failed "engine export of the import ($layout)"
    for f in "${texts[@]}"; do
      cmp -s "$f" "$d/b/$(basename "$f")" || check_failed "round trip changed $(basename "$f") ($layout)"
    done
    rm -rf "$d"
  done
}

# ------------------------------------------------------------------ the reference file

# Export and import in one layout: engine, naive and copy, interleaved run by
# run on the same files; every run writes fresh files. The engine runs last
# in each round, so the imports read the engine's text.
bench_layout() {
  local layout=$1 d=$work/$1 r
  mkdir -p "$d"
  cp "$work/ref.spf" "$d/ref.spf"
  log "export $layout"
  for ((r = 1; r <= runs; r++)); do
    remove_text "$d/ref"
    measure "naive_export_$layout" "$NAIVE" export "$d/ref" "$layout"
    remove_text "$d/ref"
    measure "export_$layout" "$ENGINE" export "$d/ref" "$layout"
  done
  text_bytes "$d/ref" >"$work/text_bytes_$layout"
  log "copy limit of $(cat "$work/text_bytes_$layout") bytes of text"
  text_files "$d/ref" | xargs cat >"$work/copy.in"
  copy_limit "copy_text_$layout" "$work/copy.in"
  cp "$work/copy.in" "$work/dd.out"
  write_floor "floor_export_$layout" "$(cat "$work/text_bytes_$layout")" "$work/dd.out"
  rm -f "$work/dd.out"
  read_sync_floor "floor_import_$layout" "$work/copy.in" "$(file_bytes "$work/ref.spf")" "$work/floor.spf"
  rm -f "$work/copy.in"
  log "import $layout"
  for ((r = 1; r <= runs; r++)); do
    rm -f "$d/ref.spf"
    measure "naive_import_$layout" "$NAIVE" import "$d/ref" "$layout"
    rm -f "$d/ref.spf"
    measure "import_$layout" "$ENGINE" import "$d/ref" "$layout"
  done
  "$ENGINE" validate "$d/ref.spf"
  [ "$(file_bytes "$d/ref.spf")" = "$(file_bytes "$work/ref.spf")" ] ||
    { echo "import of the reference text has the wrong size ($layout)" >&2; exit 1; }
  rm -rf "$d"
}

# The bars' file (4 T and 4 I records of 2,000,000 samples, 4 R of
# 1,000,000: 48 MB) against the floors alone, both layouts: engine runs and
# floor runs interleaved, keys bars_*. The reference file's floors are
# measured in bench_layout.
bench_bars() {
  local layout d=$work/bars r
  mkdir -p "$d"
  "$GEN" "$d/bars.spf" 4 2000000 4 1000000 4 2000000 1 >/dev/null
  file_bytes "$d/bars.spf" >"$work/bars_bytes"
  cp "$d/bars.spf" "$work/bars.spf"
  for layout in labelled bare; do
    log "bars' file: export and import $layout"
    remove_text "$d/bars"
    "$ENGINE" export "$d/bars" "$layout"
    text_bytes "$d/bars" >"$work/bars_text_bytes_$layout"
    text_files "$d/bars" | xargs cat >"$work/bars.text"
    cp "$work/bars.text" "$work/bars.dd"
    for ((r = 1; r <= runs; r++)); do
      remove_text "$d/bars"
      measure "bars_export_$layout" "$ENGINE" export "$d/bars" "$layout"
      measure "bars_floor_export_$layout" dd if=/dev/zero of="$work/bars.dd" bs=1M \
        count="$(cat "$work/bars_text_bytes_$layout")" iflag=count_bytes conv=notrunc status=none
    done
    for ((r = 1; r <= runs; r++)); do
      rm -f "$d/bars.spf" "$work/floor.spf"
      measure "bars_import_$layout" "$ENGINE" import "$d/bars" "$layout"
      measure "bars_floor_import_$layout" bash -c \
        'cat "$1" >/dev/null && dd if=/dev/zero of="$2" bs=1M count="$3" iflag=count_bytes conv=fsync status=none' \
        floor "$work/bars.text" "$work/floor.spf" "$(cat "$work/bars_bytes")"
    done
    rm -f "$work/bars.text" "$work/bars.dd" "$work/floor.spf"
    "$ENGINE" validate "$d/bars.spf"
  done
  rm -rf "$d"
}

# numpy savetxt and loadtxt of the bars' file's samples, one run each (about
# ten seconds together), where python3-numpy is present.
bench_numpy() {
  if ! /usr/bin/python3 -c 'import numpy' 2>/dev/null; then
    log "numpy: not installed, skipped"
    return
  fi
  local d=$work/numpy
  mkdir -p "$d"
  log "numpy savetxt and loadtxt of the bars' file (1 run each)"
  measure bars_numpy_savetxt /usr/bin/python3 "$NUMPY_TOOL" export "$work/bars.spf" "$d"
  measure bars_numpy_loadtxt /usr/bin/python3 "$NUMPY_TOOL" import "$work/bars.spf" "$d"
  rm -rf "$d"
}

# CPU per sample of the routines every sample passes through, from the
# micro-benchmarks (when Google Benchmark was found): CSV, CPU ns per item.
bench_micro() {
  if [ ! -x "$MICRO" ]; then
    log "micro-benchmarks: not built, skipped"
    return
  fi
  log "micro-benchmarks"
  "$MICRO" --benchmark_filter='BM_(WordFieldCopy|AppendExp15_7|ReadWordLines|ReadRealLines)' \
    --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true --benchmark_format=csv \
    2>/dev/null | grep '_median"' >"$work/micro.csv" || true
}

bench_validation() {
  local r
  log "validation"
  for ((r = 1; r <= runs; r++)); do
    measure naive_validate "$NAIVE" validate "$work/ref.spf"
    measure validate "$ENGINE" validate "$work/ref.spf"
  done
  copy_limit copy_spf "$work/ref.spf"
}

# Pulse power on a file of 20 T records; Set writes and seals every record.
pp_values="-95 -85 -75 -65 -55 -45 -35 -25 -15 -5 5 15 25 35 45 55 65 75 85 95"
bench_pulse_power() {
  local r samples=2400000
  [ "$big" = 1 ] && samples=25000000
  "$GEN" "$work/pp.spf" 20 "$samples" 0 0 0 0 3 >/dev/null
  file_bytes "$work/pp.spf" >"$work/pp_bytes"
  local status=0
  "$ENGINE" get "$work/pp" >/dev/null 2>&1 || status=$?
  if [ "$status" = 3 ]; then
    log "pulse power: not in this engine"
  else
    log "pulse power, engine"
    for ((r = 1; r <= runs; r++)); do
      measure pp_get "$ENGINE" get "$work/pp"
      measure pp_set "$ENGINE" set "$work/pp" "$pp_values"
    done
  fi
  if [ "$big" = 0 ]; then
    log "pulse power, naive ($naive_pp_runs run, about a minute)"
    for ((r = 1; r <= naive_pp_runs; r++)); do
      measure naive_pp_get "$NAIVE" get "$work/pp"
      measure naive_pp_set "$NAIVE" set "$work/pp" "$pp_values"
    done
  fi
  copy_limit copy_pp "$work/pp.spf"
  rm -f "$work/pp.spf"
}

bench_growth() {
  local mb r sizes="1 10 100"
  [ "$big" = 1 ] && sizes="$sizes 1000"
  for mb in $sizes; do
    log "growth: $mb MB"
    mkdir -p "$work/g"
    make_sized "$mb" "$work/g/g.spf"
    file_bytes "$work/g/g.spf" >"$work/growth_bytes_$mb"
    for ((r = 1; r <= runs; r++)); do
      measure "growth_validate_$mb" "$ENGINE" validate "$work/g/g.spf"
      remove_text "$work/g/g"
      measure "growth_export_$mb" "$ENGINE" export "$work/g/g" labelled
    done
    text_bytes "$work/g/g" >"$work/growth_text_$mb"
    for ((r = 1; r <= runs; r++)); do
      rm -f "$work/g/g.spf"
      measure "growth_import_$mb" "$ENGINE" import "$work/g/g" labelled
    done
    rm -rf "$work/g"
  done
  echo "$sizes" >"$work/growth_sizes"
}

# ------------------------------------------------------------------ report

# Numbers are formatted by awk; MB is 10^6 bytes, RSS is shown in MB too.
calc() { awk "BEGIN {printf \"$1\", $2}"; }
mb_of_kib() { calc "%.1f" "$1 * 1024 / 1e6"; }

# row LABEL KEY NAIVE_KEY COPY_KEY FILE_BYTES TEXT_BYTES [TEXT_READ]
# TEXT_READ: bytes of text the operation reads, not counted as file reads.
row() {
  local label=$1 key=$2 naive=$3 copy=$4 spf=$5 text=$6 text_read=${7:-0}
  if ! has "$key"; then
    echo "| $label | n/a | | | | | | | | | | | |"
    return
  fi
  local s cpu rss reads naive_s="n/a" naive_cpu="n/a" naive_rss="n/a" copy_s="n/a" speedup="n/a" vs_copy="n/a" text_rate="—"
  s=$(median "$key" 1)
  cpu=$(median "$key" 2)
  rss=$(mb_of_kib "$(maximum "$key" 3)")
  reads=$(calc "%.2f" "($(median "$key" 4) - $text_read) / $spf")
  [ "$text" != - ] && text_rate=$(calc "%.0f" "$text / 1e6 / $s")
  if has "$naive"; then
    naive_s=$(calc "%.3f" "$(median "$naive" 1)")
    naive_cpu=$(calc "%.3f" "$(median "$naive" 2)")
    naive_rss=$(mb_of_kib "$(maximum "$naive" 3)")
    speedup=$(calc "%.1f×" "$(median "$naive" 1) / $s")
  fi
  if has "$copy"; then
    copy_s=$(calc "%.3f" "$(median "$copy" 1)")
    vs_copy=$(calc "%.2f×" "$s / $(median "$copy" 1)")
  fi
  printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$label" "$(calc "%.3f" "$s")" \
    "$(calc "%.3f" "$cpu")" "$(calc "%.0f" "$spf / 1e6 / $s")" "$text_rate" "$rss" "$reads" "$naive_s" \
    "$naive_cpu" "$naive_rss" "$copy_s" "$speedup" "$vs_copy"
}

# goal LABEL TARGET MEASURED BEST CPU MET
goal() { printf '| %s | %s | %s | %s | %s | %s |\n' "$@"; }
verdict() { awk "BEGIN {print ($1) ? \"yes\" : \"**no**\"}"; }

# ratio_goal LABEL TARGET KEY_A KEY_B BOUND: the ratio A / B against BOUND
# (">= 10" or "<= 2"), from the median wall times (which decide), from the
# best runs' wall times and from the median CPU times.
ratio_goal() {
  local a b best cpu
  a=$(median "$3" 1); b=$(median "$4" 1)
  best=$(calc "%.2f×" "$(minimum "$3" 1) / $(minimum "$4" 1)")
  cpu=$(calc "%.2f×" "$(median "$3" 2) / $(median "$4" 2)")
  goal "$1" "$2" "$(calc "%.2f×" "$a / $b")" "$best" "$cpu" "$(verdict "$a / $b $5")"
}

ratio_goals() {
  local layout
  for layout in labelled bare; do
    ratio_goal "Export ($layout) vs naive" "≥ 10×" "naive_export_$layout" "export_$layout" ">= 10"
    ratio_goal "Export ($layout) / copy of its output" "≤ 2×" "export_$layout" "copy_text_$layout" "<= 2"
    ratio_goal "Import ($layout) vs naive" "≥ 10×" "naive_import_$layout" "import_$layout" ">= 10"
    ratio_goal "Import ($layout) / copy of its input text" "≤ 3×" "import_$layout" "copy_text_$layout" "<= 3"
    if has "floor_export_$layout"; then
      ratio_goal "Export ($layout) / dd floor of its output" "≤ 1.5×" "export_$layout" "floor_export_$layout" "<= 1.5"
    fi
    if has "floor_import_$layout"; then
      ratio_goal "Import ($layout) / floor (cat of its text + synced dd of the pulse file)" "≤ 2×" "import_$layout" "floor_import_$layout" "<= 2"
    fi
  done
}

memory_goal() {
  local path key peak=0 where=""
  for path in "$work/results"/*; do
    key=$(basename "$path")
    case $key in naive_* | copy_* | *floor_* | *numpy_*) continue ;; esac
    local m
    m=$(maximum "$key" 3)
    if [ "$m" -gt "$peak" ]; then peak=$m; where=$key; fi
  done
  goal "Peak RSS, every engine run" "≤ 32 MB" "$(mb_of_kib "$peak") MB ($where)" "" "" \
    "$(verdict "$peak * 1024 <= 32e6")"
}

pulse_power_goals() {
  local op key bytes
  bytes=$(cat "$work/pp_bytes")
  for op in get set; do
    key=pp_$op
    if has "$key"; then
      local reads
      reads=$(calc "%.2f" "$(median "$key" 4) / $bytes")
      goal "Pulse power ${op^} ($(calc "%.0f" "$bytes / 1e6") MB, 20 T records): full reads" "≤ 3" "$reads" \
        "$(calc "%.2f" "$(minimum "$key" 4) / $bytes")" "" "$(verdict "$reads <= 3")"
    else
      goal "Pulse power ${op^}: full reads" "≤ 3" "n/a" "" "" "n/a"
    fi
  done
}

growth_table() {
  local mb sizes bytes text
  sizes=$(cat "$work/growth_sizes")
  echo "| File | Pulse file bytes | Labelled text bytes | Export s | Export s/GB | Export CPU s/GB | Import s | Import s/GB | Import CPU s/GB | Validation s | Validation GB/s | Peak RSS MB |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  for mb in $sizes; do
    bytes=$(cat "$work/growth_bytes_$mb")
    text=$(cat "$work/growth_text_$mb")
    local e i v rss=0 k
    e=$(median "growth_export_$mb" 1); i=$(median "growth_import_$mb" 1); v=$(median "growth_validate_$mb" 1)
    for k in export import validate; do
      local m
      m=$(maximum "growth_${k}_$mb" 3)
      [ "$m" -gt "$rss" ] && rss=$m
    done
    printf '| %s MB | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$mb" "$bytes" "$text" \
      "$(calc "%.3f" "$e")" "$(calc "%.2f" "$e / $bytes * 1e9")" \
      "$(calc "%.2f" "$(median "growth_export_$mb" 2) / $bytes * 1e9")" "$(calc "%.3f" "$i")" \
      "$(calc "%.2f" "$i / $bytes * 1e9")" "$(calc "%.2f" "$(median "growth_import_$mb" 2) / $bytes * 1e9")" \
      "$(calc "%.4f" "$v")" "$(calc "%.2f" "$bytes / 1e9 / $v")" "$(mb_of_kib "$rss")"
  done
}

# Linear growth: the time per GB of the largest file is not above the best
# time per GB of any size (small files carry the fixed cost of a run).
growth_goal() {
  local sizes op mb col last best per
  sizes=$(cat "$work/growth_sizes")
  for op in export import; do
    local ratios=()
    for col in 1 2; do
      best=""
      for mb in $sizes; do
        per=$(calc "%.6f" "$(median "growth_${op}_$mb" "$col") / $(cat "$work/growth_bytes_$mb") * 1e9")
        [ -z "$best" ] && best=$per
        best=$(calc "%.6f" "($per < $best) ? $per : $best")
        last=$per
      done
      ratios+=("$(calc "%.2f" "$last / $best")")
    done
    goal "Growth, $op: s/GB of the largest file vs the best size" "≤ 1.25× (linear)" "${ratios[0]}×" "" \
      "${ratios[1]}×" "$(verdict "${ratios[0]} <= 1.25")"
  done
}

# floor_row FILE OPERATION KEY FLOOR_KEY BOUND
floor_row() {
  has "$3" && has "$4" || return 0
  local a b
  a=$(median "$3" 1); b=$(median "$4" 1)
  printf '| %s | %s | %s | %s | %s | %s | ≤ %s× | %s |\n' "$1" "$2" "$(calc "%.3f" "$a")" \
    "$(calc "%.3f" "$(median "$3" 2)")" "$(calc "%.3f" "$b")" "$(calc "%.2f×" "$a / $b")" "$5" \
    "$(verdict "$a / $b <= $5")"
}

floor_table() {
  local layout
  for layout in labelled bare; do
    floor_row "bars (48 MB)" "Export, $layout" "bars_export_$layout" "bars_floor_export_$layout" 1.5
    floor_row "bars (48 MB)" "Import, $layout" "bars_import_$layout" "bars_floor_import_$layout" 2
    floor_row "reference (96 MB)" "Export, $layout" "export_$layout" "floor_export_$layout" 1.5
    floor_row "reference (96 MB)" "Import, $layout" "import_$layout" "floor_import_$layout" 2
  done
}

numpy_table() {
  has bars_numpy_savetxt || return 0
  cat <<EOF

numpy on the bars' file's samples (\`bench/numpy_convert.py\`, one run each;
the same columns, no header lines):

| Operation | numpy s | numpy CPU s | numpy peak RSS MB | Engine s (labelled) | numpy / engine |
|---|---:|---:|---:|---:|---:|
EOF
  local op key engine
  for op in savetxt loadtxt; do
    key=bars_numpy_$op
    engine=bars_export_labelled
    [ "$op" = loadtxt ] && engine=bars_import_labelled
    printf '| %s | %s | %s | %s | %s | %s |\n' "$op" "$(calc "%.3f" "$(median "$key" 1)")" \
      "$(calc "%.3f" "$(median "$key" 2)")" "$(mb_of_kib "$(maximum "$key" 3)")" \
      "$(calc "%.3f" "$(median "$engine" 1)")" "$(calc "%.1f×" "$(median "$key" 1) / $(median "$engine" 1)")"
  done
}

# micro_row LABEL BENCHMARK TARGET_NS
micro_row() {
  local ns
  # items_per_second (column 7) counts samples per second of CPU time.
  ns=$(awk -F, -v name="\"$2_median\"" '$1 == name && $7 > 0 {print 1e9 / $7}' "$work/micro.csv")
  [ -n "$ns" ] || return 0
  printf '| %s | %s | < %s | %s |\n' "$1" "$(calc "%.2f" "$ns")" "$3" "$(verdict "$ns < $3")"
}

micro_table() {
  [ -s "$work/micro.csv" ] || return 0
  cat <<EOF

CPU per sample (\`micro_bench\`, medians of $runs repetitions, CPU ns per sample):

| Routine | ns per sample | Target | Met |
|---|---:|---|---|
EOF
  micro_row "Format a 16-bit sample (table copy)" BM_WordFieldCopy 3
  micro_row "Parse 16-bit samples, bare lines" BM_ReadWordLinesBare 3
  micro_row "Parse 16-bit samples, labelled lines" BM_ReadWordLinesLabelled 3
  micro_row "Format a real (%15.7e)" BM_AppendExp15_7 25
  micro_row "Parse reals, bare lines" BM_ReadRealLinesBare 25
  micro_row "Parse reals, labelled lines" BM_ReadRealLinesLabelled 25
}

report() {
  local spf lt bt ppb cpu_model commit
  spf=$(file_bytes "$work/ref.spf")
  lt=$(cat "$work/text_bytes_labelled")
  bt=$(cat "$work/text_bytes_bare")
  ppb=$(cat "$work/pp_bytes")
  cpu_model=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
  commit=$(git -C "$root" describe --always --dirty 2>/dev/null || echo unknown)
  cat <<EOF
## Results

- Date: $(cat "$work/finished_at" 2>/dev/null || date -u '+%Y-%m-%d %H:%M UTC')
- Machine: $(nproc) CPUs, $cpu_model, $(awk '/MemTotal/ {printf "%.0f GB", $2 / 1e6}' /proc/meminfo) RAM, $(uname -sr)
- Commit: $commit
- Reference file: 8 T records of 2,000,000 samples, 8 R of 1,000,000, 8 I of 2,000,000: $spf bytes;
  text $lt bytes labelled, $bt bytes bare. Pulse power file: 20 T records, $ppb bytes.
- Load average (1 min) at start $load_start, at the end $(cat "$work/load_end" 2>/dev/null || echo "?"): other jobs share the CPUs;
  wall times under load vary from run to run, CPU times much less.
- Medians of $runs runs (the naive pulse power: $naive_pp_runs run); page cache warm, nothing dropped.
  MB = 10^6 bytes. "File reads" = bytes read (rchar, minus the text an import reads) / pulse file size.
  Before every timed run \`sync\` writes back the dirty pages of the runs before it.

| Operation | Engine s | Engine CPU s | Pulse file MB/s | Text MB/s | Peak RSS MB | File reads | Naive s | Naive CPU s | Naive peak RSS MB | Copy limit s | Engine vs naive | Engine / copy limit |
|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|
EOF
  row "Export, labelled" export_labelled naive_export_labelled copy_text_labelled "$spf" "$lt"
  row "Export, bare" export_bare naive_export_bare copy_text_bare "$spf" "$bt"
  row "Import, labelled" import_labelled naive_import_labelled copy_text_labelled "$spf" "$lt" "$lt"
  row "Import, bare" import_bare naive_import_bare copy_text_bare "$spf" "$bt" "$bt"
  row "Validation" validate naive_validate copy_spf "$spf" -
  row "Pulse power Get (20 T)" pp_get naive_pp_get copy_pp "$ppb" -
  row "Pulse power Set (20 T)" pp_set naive_pp_set copy_pp "$ppb" -
  cat <<EOF

The copy limit of an export is \`cp\` of one file as large as all its text
files, that of an import the same file (its input text); validation and pulse
power are set beside \`cp\` of the pulse file.

### Goals

| Goal | Target | Measured (wall, medians) | Wall, best runs | CPU time, medians | Met |
|---|---|---|---|---|---|
EOF
  ratio_goals
  exact_goals
  local v
  v=$(calc "%.2f" "$spf / 1e9 / $(median validate 1)")
  goal "Validation" "≥ 2 GB/s" "$v GB/s" "$(calc "%.2f" "$spf / 1e9 / $(minimum validate 1)") GB/s" \
    "$(calc "%.2f" "$spf / 1e9 / $(median validate 2)") GB/s" "$(verdict "$v >= 2")"
  memory_goal
  pulse_power_goals
  growth_goal
  cat <<EOF

### Against the floor, one run (both files)

The floor of an export is \`dd\` of its output's byte count from /dev/zero
over a previous copy of the output; that of an import is \`cat\` of its
text to /dev/null plus a synced \`dd\` of the pulse file's byte count. Both
are measured in the same run, interleaved with the engine runs.

| File | Operation | Engine s | Engine CPU s | Floor s | Engine / floor | Target | Met |
|---|---|---:|---:|---:|---:|---|---|
EOF
  floor_table
  numpy_table
  micro_table
  cat <<EOF

### Growth (engine, labelled layout)

EOF
  growth_table
  if [ -s "$work/small_files.md" ]; then
    printf '\n### Many small files (orvane-cli, against cp -r of the same output)\n\n'
    cat "$work/small_files.md"
  fi
  if [ -s "$work/toolkit.md" ]; then
    printf '\n### stats, diff and check --json (orvane-cli, against cat of the same file)\n\n'
    cat "$work/toolkit.md"
  fi
}

# ------------------------------------------------------------------ the exact layout

# The export of a file of R records only (8 of 1,000,000 samples), the
# default text against the exact layout (--exact), interleaved run by run.
bench_exact() {
  local layout d=$work/exact r
  mkdir -p "$d"
  "$GEN" "$d/reals.spf" 0 0 8 1000000 0 0 3 >/dev/null
  for layout in labelled bare; do
    log "export --exact $layout"
    for ((r = 1; r <= runs; r++)); do
      remove_text "$d/reals"
      measure "reals_export_$layout" "$ENGINE" export "$d/reals" "$layout"
      remove_text "$d/reals"
      measure "exact_export_$layout" "$ENGINE" export "$d/reals" "$layout" exact
    done
  done
  rm -rf "$d"
}

exact_goals() {
  local layout
  [ -f "$work/results/exact_export_labelled" ] || return 0
  for layout in labelled bare; do
    ratio_goal "Export --exact ($layout) / default export, R records only" "≤ 1.3×" \
      "exact_export_$layout" "reals_export_$layout" "<= 1.3"
  done
}

# ------------------------------------------------------------------ main

if [ -n "$report_only" ]; then
  work=$report_only
  runs=$(wc -l <"$work/results/export_labelled")
  load_start=$(cat "$work/load_start" 2>/dev/null || echo "?")
  report
  exit 0
fi
prepare
started=$(date +%s)
load_start=$(cut -d' ' -f1 /proc/loadavg)
echo "$load_start" >"$work/load_start"
log "checking the tools on a small file"
check_tools
log "generating the reference file"
"$GEN" "$work/ref.spf" 8 2000000 8 1000000 8 2000000 1 >/dev/null
bench_layout labelled
bench_layout bare
bench_exact
bench_bars
bench_numpy
bench_micro
bench_validation
bench_pulse_power
bench_growth
if [ -x "$build/cli/orvane-cli" ]; then
  log "many small files"
  "$here/small_files.sh" "$build" --runs "$runs" --workdir "$workparent" >"$work/small_files.md"
  log "stats, diff and check --json"
  "$here/toolkit_bench.sh" "$build" --runs "$runs" --workdir "$workparent" >"$work/toolkit.md"
fi
log "done in $(( $(date +%s) - started )) s"
date -u '+%Y-%m-%d %H:%M UTC' >"$work/finished_at"
cut -d' ' -f1 /proc/loadavg >"$work/load_end"
report
