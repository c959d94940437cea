# Helpers shared by the case scripts: . "$CASES/lib.sh"

# Runs orvane-cli with the given arguments and prints its exit status.
run() {
  orvane-cli "$@"
  echo "exit $?"
}

# size_of FILE: the file's length in bytes.
size_of() {
  wc -c <"$1" | tr -d ' '
}

# make_power_file NAME GAIN...: builds NAME.spf with one T record per GAIN,
# from the text files of the golden t-records case (records used in turn).
make_power_file() {
  name=$1
  shift
  src="$GOLDEN/t-records/labelled"
  n=0
  for gain in "$@"; do
    sed "s/^GAIN: .*/GAIN: $gain/" "$src/data.T$((n % 7))" >"$name.T$n"
    n=$((n + 1))
  done
  sed "s/^TCNT: .*/TCNT: $n/" "$src/data.pfh" >"$name.pfh"
  orvane-cli -q from-ascii "$name.pfh" || echo "could not build $name.spf"
  rm -f "$name.pfh" "$name".T*
}

# same_as_golden DIR GOLDEN_DIR: every text file of GOLDEN_DIR (not its
# traces or pulse file) is in DIR with the same bytes, and DIR holds nothing
# else but data.spf. Prints one line.
same_as_golden() {
  (cd "$2" && ls) | grep -v -e '^data.spf$' -e '\.trace$' >expected.list
  (cd "$1" && ls) | grep -v '^data.spf$' >got.list
  if ! cmp -s expected.list got.list; then
    echo "$1: other files than the golden ones"
  else
    differ=0
    while read -r file; do
      cmp -s "$1/$file" "$2/$file" || { echo "$1/$file differs"; differ=1; }
    done <expected.list
    [ $differ = 0 ] && echo "$1: $(wc -l <expected.list | tr -d ' ') files as golden"
  fi
  rm -f expected.list got.list
}

# golden_cases: the names of the golden cases.
golden_cases() {
  (cd "$GOLDEN" && for dir in */; do echo "${dir%/}"; done)
}
