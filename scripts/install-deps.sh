#!/bin/sh
# Installs the Debian packages Orvane needs to build and test, when missing.
# Usage: scripts/install-deps.sh   (as root, on Debian 12)
set -eu
PACKAGES="build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools fonts-dejavu-core clang-14 libclang-rt-14-dev dbus-daemon dbus-bin xvfb xauth"
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
