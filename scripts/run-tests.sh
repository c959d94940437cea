#!/bin/sh
# Installs what is missing, builds, and runs the tests.
#
# Usage: scripts/run-tests.sh [--quick]
#   (no argument)  the whole suite, then every scripts/tests.d/*.sh (fuzzing,
#                  install check, sanitizer build); this is what CI runs
#   --quick        only the tests labelled quick (ctest -L quick), no extras
set -eu
cd "$(dirname "$0")/.."
quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac
scripts/install-deps.sh --tests
# One compiler cache for every build folder of this checkout and of others
# (paths inside the source folder are hashed relative to it).
CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(pwd)}
export CCACHE_BASEDIR
# A build folder that scripts/run-sample.sh configured without the tests gets
# them back.
scripts/build.sh build -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCH=ON
if [ "$quick" = 1 ]; then
  exec ctest --test-dir build --output-on-failure -j2 -L quick
fi
ctest --test-dir build --output-on-failure -j2
for extra in scripts/tests.d/*.sh; do
  [ -e "$extra" ] || continue
  echo "== $extra"
  sh "$extra"
done
