#!/bin/sh
# Installs what is missing, builds, and converts the bundled sample pulse
# file to text and back.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
work=$(mktemp -d)
cp samples/demo.spf "$work/demo.spf"
chmod u+w "$work/demo.spf"
cli=build/cli/orvane-cli
echo "== Convert to ASCII"
$cli --trace to-ascii "$work/demo.spf"
ls -l "$work"
echo "== Convert from ASCII"
$cli --trace from-ascii "$work/demo.pfh"
cmp samples/demo.spf "$work/demo.spf" && echo "demo.spf rebuilt byte for byte"
$cli check "$work/demo.spf"
echo "== Pulse power"
$cli power "$work/demo.spf"
echo "Sample converted in $work"
