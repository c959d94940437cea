#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j2
for extra in scripts/tests.d/*.sh; do
  [ -e "$extra" ] || continue
  echo "== $extra"
  sh "$extra"
done
