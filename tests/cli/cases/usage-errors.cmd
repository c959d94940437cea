# Usage errors: a message and a hint on standard error, exit status 2, and
# nothing done.
. "$CASES/lib.sh"
cp "$GOLDEN/mixed/data.spf" data.spf
run
run convert data.spf
run to-ascii
run to-ascii --fast data.spf
run -j 0 to-ascii data.spf
run -j to-ascii data.spf
run --jobs=x to-ascii data.spf
run -j
run power
run info data.spf data.spf
run check --no-headers data.spf
run info --trace data.spf
run --no-headers power data.spf 5
ls
# --help wins over everything else on the line.
orvane-cli --help bogus -j 0 >/dev/null
echo "exit $?"
run --bogus --version
run to-ascii data.spf --version
