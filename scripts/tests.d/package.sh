#!/bin/sh
# Builds the Debian package from build/, checks what it holds, lets lintian
# judge it where lintian is installed, and runs the command-line cases and
# the signal tests against the programs unpacked from it.
set -eu
cd "$(dirname "$0")/../.."
rm -f build/orvane_*.deb
(cd build && cpack -G DEB >/dev/null 2>&1) || { echo "package: cpack failed"; exit 1; }
deb=$(ls build/orvane_*_amd64.deb)
echo "package: $deb"
failed=0
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/orvane ./usr/bin/orvane-cli ./usr/bin/orvane-view \
         ./usr/share/man/man1/orvane-cli.1.gz ./usr/share/man/man1/orvane.1.gz \
         ./usr/share/applications/orvane.desktop \
         ./usr/share/icons/hicolor/16x16/apps/orvane.xpm ./usr/share/icons/hicolor/32x32/apps/orvane.xpm \
         ./usr/share/dbus-1/services/Orvane.Application.service \
         ./usr/share/bash-completion/completions/orvane-cli \
         ./usr/share/doc/orvane/copyright ./usr/share/doc/orvane/changelog.gz; do
  echo "$contents" | grep -qx "$f" || { echo "package: missing $f"; failed=1; }
done
if [ -d build/python/orvane ]; then
  echo "$contents" | grep -q '^./usr/lib/python3/dist-packages/orvane/' ||
    { echo "package: missing the Python module"; failed=1; }
fi
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "package: dependencies not computed"; failed=1; }

if command -v lintian >/dev/null 2>&1; then
  # Errors fail the check; warnings are shown.
  if lintian --fail-on error "$deb" 2>/dev/null; then echo "package: lintian found no error"; else failed=1; fi
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT INT TERM
dpkg-deb -x "$deb" "$root"
grep -qx 'Exec=/usr/bin/orvane -Embedding' "$root/usr/share/dbus-1/services/Orvane.Application.service" ||
  { echo "package: the activation file does not start /usr/bin/orvane"; failed=1; }
bash -n "$root/usr/share/bash-completion/completions/orvane-cli" || failed=1
ORVANE_CLI_DIR="$root/usr/bin" build/tests/cli/cli_case_tests --gtest_brief=1 >"$root/cases.log" 2>&1 ||
  { cat "$root/cases.log"; echo "package: the command-line cases fail with the packaged orvane-cli"; failed=1; }
ORVANE_CLI_DIR="$root/usr/bin" build/tests/robustness/cli_signal_tests --gtest_brief=1 >"$root/signals.log" 2>&1 ||
  { cat "$root/signals.log"; echo "package: the signal tests fail with the packaged orvane-cli"; failed=1; }
[ "$failed" = 0 ] && echo "package: 1 passed, 0 failed"
exit "$failed"
