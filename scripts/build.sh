#!/bin/sh
# Configures and builds Orvane into build/ (or the folder given as $1).
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${1:-build}
shift || true
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON "$@" >/dev/null
cmake --build "$BUILD_DIR"
