#!/bin/sh
# Installs what is missing, builds, and converts the bundled sample pulse
# file to text and back.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
work=$(mktemp -d)
cp samples/demo.spf "$work/demo.spf"
if [ -x build/cli/orvane-cli ]; then
  build/cli/orvane-cli to-ascii "$work/demo.spf"
  ls -l "$work"
  build/cli/orvane-cli from-ascii "$work/demo.pfh"
  build/cli/orvane-cli check "$work/demo.spf"
else
  build/engine/orvane-demo "$work/demo.spf"
fi
echo "Sample converted in $work"
