#!/bin/sh
# Installs the Debian packages Orvane needs, when missing, in two sets.
#
# Usage: scripts/install-deps.sh [--build | --tests]   (as root, on Debian 12)
#   --build (default)  what building and running the programs and the Python
#                      module need: the compiler, CMake, Ninja, Qt, the JSON
#                      library, pybind11 and numpy. scripts/run-sample.sh
#                      installs only these and builds without the tests.
#   --tests            the build set and what the test suite adds: GoogleTest,
#                      Google Benchmark, clang 14 for the fuzzers, ccache, a
#                      private session bus and a virtual display for the
#                      dialog tests, pytest and the scientific Python stack
#                      the module's tests use, the packaging tools and
#                      lintian, and a decimal-comma locale.
set -eu
set_name=build
case "${1:-}" in
  "" | --build) ;;
  --tests) set_name=tests ;;
  *) echo "usage: $0 [--build | --tests]" >&2; exit 2 ;;
esac

BUILD_PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools
  nlohmann-json3-dev pybind11-dev python3-dev python3-numpy"
TEST_PACKAGES="ccache libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  fonts-dejavu-core dbus-daemon dbus-bin xvfb xauth
  python3-pytest python3-jsonschema python3-distributed python3-matplotlib python3-xarray python3-netcdf4
  dpkg-dev file lintian"
PACKAGES=$BUILD_PACKAGES
[ "$set_name" = tests ] && PACKAGES="$PACKAGES $TEST_PACKAGES"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing
fi

[ "$set_name" = tests ] || exit 0

# A decimal-comma locale, so that the tests can show that text conversion
# does not depend on the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if ! dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q "install ok installed"; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends locales
  fi
  sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
