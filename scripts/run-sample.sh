#!/bin/sh
# Installs what building and running need (not what only the tests need),
# builds the programs and the Python module without the tests and the
# benchmarks, and converts the bundled sample pulse file to text and back.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh --build
scripts/build.sh build -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF
work=$(mktemp -d)
cp samples/demo.spf "$work/demo.spf"
chmod u+w "$work/demo.spf"
cli=build/cli/orvane-cli
echo "== Convert to ASCII"
$cli --trace to-ascii "$work/demo.spf"
ls -l "$work"
echo "== Convert from ASCII"
$cli --trace from-ascii "$work/demo.pfh"
# The import pads descriptions with blanks: from the first rebuilt file on,
# every round trip gives the same bytes.
cp "$work/demo.spf" "$work/first.spf"
$cli -q to-ascii "$work/demo.spf"
$cli -q from-ascii "$work/demo.pfh"
cmp "$work/first.spf" "$work/demo.spf" && echo "a second round trip rebuilt demo.spf byte for byte"
$cli check "$work/demo.spf"
echo "== Pulse power"
$cli power "$work/demo.spf"
echo "Sample converted in $work"
