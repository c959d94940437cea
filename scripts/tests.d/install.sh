#!/bin/sh
# Installs the build into a scratch prefix and checks that the programs,
# the menu entry, the icons and the bus activation file are in place.
set -eu
cd "$(dirname "$0")/../.."
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT INT TERM
cmake --install build --prefix "$prefix" >/dev/null
missing=0
for f in bin/orvane bin/orvane-cli share/applications/orvane.desktop \
         share/icons/hicolor/16x16/apps/orvane.xpm share/icons/hicolor/32x32/apps/orvane.xpm \
         share/dbus-1/services/Orvane.Application.service; do
  if [ ! -e "$prefix/$f" ]; then
    echo "install: missing $f"
    missing=1
  fi
done
grep -q "^Exec=$prefix/bin/orvane -Embedding" "$prefix/share/dbus-1/services/Orvane.Application.service" ||
  { echo "install: the activation file does not start the installed program"; missing=1; }
"$prefix/bin/orvane-cli" --version >/dev/null
[ "$missing" = 0 ] && echo "install: 1 passed, 0 failed"
exit "$missing"
