#!/bin/sh
# Installs the build into a scratch prefix and checks that the programs,
# the menu entry with its pulse file type, the icons and the bus activation
# file are in place; then installs each component alone (the Debian
# packages are made one per component) and checks that the command line
# comes without the desktop programs and that nothing is left outside a
# component, where no package would carry it.
set -eu
cd "$(dirname "$0")/../.."
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT INT TERM
cmake --install build --prefix "$prefix/all" >/dev/null
missing=0
# present DIR FILE...: each FILE is under DIR.
present() {
  dir=$1
  shift
  for f in "$@"; do
    [ -e "$dir/$f" ] || { echo "install: missing $f in $(basename "$dir")"; missing=1; }
  done
}
present "$prefix/all" bin/orvane bin/orvane-view bin/orvane-cli share/applications/orvane.desktop \
  share/mime/packages/orvane.xml share/icons/hicolor/16x16/apps/orvane.xpm share/icons/hicolor/32x32/apps/orvane.xpm \
  share/dbus-1/services/Orvane.Application.service share/bash-completion/completions/orvane-cli \
  share/man/man1/orvane-cli.1.gz share/man/man1/orvane.1.gz share/man/man1/orvane-view.1.gz
grep -q "^Exec=$prefix/all/bin/orvane -Embedding" "$prefix/all/share/dbus-1/services/Orvane.Application.service" ||
  { echo "install: the activation file does not start the installed program"; missing=1; }
"$prefix/all/bin/orvane-cli" --version >/dev/null

cmake --install build --component cli --prefix "$prefix/cli" >/dev/null
present "$prefix/cli" bin/orvane-cli share/bash-completion/completions/orvane-cli share/man/man1/orvane-cli.1.gz
for f in bin/orvane bin/orvane-view share/applications share/dbus-1 share/mime; do
  [ ! -e "$prefix/cli/$f" ] || { echo "install: the command line component holds $f"; missing=1; }
done

cmake --install build --component desktop --prefix "$prefix/desktop" >/dev/null
present "$prefix/desktop" bin/orvane bin/orvane-view share/applications/orvane.desktop share/mime/packages/orvane.xml \
  share/dbus-1/services/Orvane.Application.service
[ ! -e "$prefix/desktop/bin/orvane-cli" ] || { echo "install: the desktop component holds orvane-cli"; missing=1; }

if [ -d build/python/orvane ]; then
  cmake --install build --component python --prefix "$prefix/python" >/dev/null
  ls "$prefix"/python/lib/python3*/dist-packages/orvane/__init__.py >/dev/null 2>&1 ||
    { echo "install: the python component lacks the orvane module"; missing=1; }
  [ ! -e "$prefix/python/bin" ] || { echo "install: the python component holds programs"; missing=1; }
fi

cmake --install build --component Unspecified --prefix "$prefix/unspecified" >/dev/null
left=$(find "$prefix/unspecified" ! -type d 2>/dev/null || true)
[ -z "$left" ] || { echo "install: in no component (install(... COMPONENT ...) missing):"; echo "$left"; missing=1; }

[ "$missing" = 0 ] && echo "install: 1 passed, 0 failed"
exit "$missing"
