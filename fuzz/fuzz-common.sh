# Sourced by scripts/tests.d/fuzz.sh and scripts/fuzz-campaign.sh: the
# sanitizer settings, the limits every fuzzing run keeps, and the reading of
# libFuzzer's final statistics.

# Limits that mean something: one allocation over 64 MB, a process over
# 2 GB, or an input taking over 10 s is a fault of the engine.
ORVANE_FUZZ_LIMITS="-malloc_limit_mb=64 -rss_limit_mb=2048 -timeout=10"

# The longest input of a target: the conversions' cost grows with the input
# and a few kilobytes reach every structure of a pulse file and its text
# (pulse power looks at 4 KB at most; 4 KB hold a table of a thousand
# records, each of which the view's salvage check may report; a header text
# of every line mutated stays under 8 KB; the line reader's longer inputs
# cross its buffer's end).
fuzz_max_len() {
  case "$1" in
    export_fuzzer | round_trip_fuzzer | exact_round_trip_fuzzer | pulse_power_fuzzer | view_fuzzer) echo "-max_len=4096" ;;
    header_text_fuzzer) echo "-max_len=8192" ;;
    import_fuzzer | line_reader_fuzzer) echo "-max_len=16384" ;;
    *) echo "-max_len=65536" ;;
  esac
}
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:malloc_context_size=10:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

# The working files of the view target, on a memory file system where there
# is one; removed at the end by the caller (fuzz_cleanup).
fuzz_root() {
  shm=/dev/shm
  [ -d "$shm" ] && [ -w "$shm" ] || shm="${TMPDIR:-/tmp}"
  ORVANE_FUZZ_ROOT=$(mktemp -d "$shm/orvane-fuzz.XXXXXX")
  export ORVANE_FUZZ_ROOT
}

# Prints "execs rate cov ft rss" from a libFuzzer log ("?" where missing).
fuzz_stats() {
  log="$1"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | sed 's/cov: //')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | sed 's/ft: //')
  echo "${execs:-?} ${rate:-?} ${cov:-?} ${ft:-?} ${rss:-?}"
}

# Turns leak checking off, and says so, when the leak checker cannot run
# here (it stops the threads with ptrace, which some containers forbid):
# then it would fail every run for a reason that is no fault. $1 is any
# program built with the sanitizers.
fuzz_check_leak_checker() {
  if "$1" --write-seeds "$ORVANE_FUZZ_ROOT/leak-probe" 2>&1 >/dev/null |
      grep -q 'LeakSanitizer has encountered a fatal error'; then
    echo "fuzz: the leak checker cannot run here (ptrace refused); leaks are not checked"
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
  fi
  rm -rf "$ORVANE_FUZZ_ROOT/leak-probe"
}
