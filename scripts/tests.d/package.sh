#!/bin/sh
# Builds the Debian packages from build/ (orvane-cli; orvane when the desktop
# programs are built; python3-orvane when the Python module is), checks what
# each holds and what it depends on, lets lintian judge each where lintian
# is installed, installs the command line alone into a scratch root that
# has no Qt and no Python, and all of them side by side into another, and
# runs the command-line cases, the signal tests, the completion test, the
# pulse file type and the module against what was installed there.
set -eu
cd "$(dirname "$0")/../.."
rm -f build/orvane_*.deb build/orvane-cli_*.deb build/python3-orvane_*.deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
(cd build && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; echo "package: cpack failed"; exit 1; }

failed=0
fail() { echo "package: $*"; failed=1; }

# built NAME: the package NAME that cpack made now, or what it should be.
built() { ls build/"$1"_*_amd64.deb 2>/dev/null || echo "build/$1_VERSION_amd64.deb"; }
cli=$(built orvane-cli)
desktop=$(built orvane)
python=$(built python3-orvane)
debs=$cli
grep -q '^ORVANE_BUILD_GUI:BOOL=ON' build/CMakeCache.txt && debs="$debs $desktop"
[ -d build/python/orvane ] && debs="$debs $python"
for deb in $debs; do
  [ -f "$deb" ] || { echo "package: $deb was not built"; ls build/*.deb; exit 1; }
  echo "package: $deb"
done

# contents DEB: the paths in DEB, one a line (./usr/bin/orvane-cli).
contents() { dpkg-deb -c "$1" | awk '{print $6}'; }
# holds DEB FILE...: each FILE is in DEB.
holds() {
  deb=$1
  shift
  paths=$(contents "$deb")
  for f in "$@"; do
    echo "$paths" | grep -qx "./usr/$f" || fail "$deb lacks /usr/$f"
  done
}
# relations DEB: every package DEB asks for, one name a line.
relations() {
  for field in Pre-Depends Depends Recommends; do dpkg-deb -f "$1" "$field"; done |
    tr ',|' '[\n*]' | sed 's/(.*//; s/[[:space:]]//g; /^$/d'
}
# needs DEB FIELD NAME...: FIELD of DEB names each NAME.
needs() {
  deb=$1 field=$2
  shift 2
  for name in "$@"; do
    dpkg-deb -f "$deb" "$field" | tr ',|' '[\n*]' | sed 's/(.*//; s/[[:space:]]//g' | grep -qx "$name" ||
      fail "$deb: $field lacks $name ($(dpkg-deb -f "$deb" "$field"))"
  done
}

holds "$cli" bin/orvane-cli share/man/man1/orvane-cli.1.gz share/bash-completion/completions/orvane-cli \
  share/doc/orvane-cli/copyright share/doc/orvane-cli/changelog.Debian.gz
holds "$cli" share/doc/orvane-cli/json.md share/doc/orvane-cli/json.schema.json share/doc/orvane-cli/file-format.md
# A server takes the command line without Qt or Python.
bad=$(relations "$cli" | grep -Ei 'qt|python|orvane' || true)
[ -z "$bad" ] || fail "$cli must not ask for $(echo "$bad" | tr '\n' ' ')"
needs "$cli" Depends libc6 libstdc++6
paths=$(contents "$cli")
echo "$paths" | grep -E 'bin/orvane$|bin/orvane-view$|share/(applications|mime|icons|dbus-1)/|dist-packages' &&
  fail "$cli holds more than the command line"

if echo "$debs" | grep -q "$desktop"; then
  holds "$desktop" bin/orvane bin/orvane-view share/man/man1/orvane.1.gz share/man/man1/orvane-view.1.gz \
    share/applications/orvane.desktop share/mime/packages/orvane.xml \
    share/icons/hicolor/16x16/apps/orvane.xpm share/icons/hicolor/32x32/apps/orvane.xpm \
    share/dbus-1/services/Orvane.Application.service share/doc/orvane/copyright share/doc/orvane/changelog.Debian.gz
  needs "$desktop" Depends libqt6widgets6 libqt6dbus6 libc6
  needs "$desktop" Recommends orvane-cli
  relations "$desktop" | grep -qi python && fail "$desktop must not ask for Python"
fi

if echo "$debs" | grep -q "$python"; then
  holds "$python" lib/python3/dist-packages/orvane/__init__.py share/doc/python3-orvane/copyright \
    share/doc/python3-orvane/changelog.Debian.gz
  paths=$(contents "$python")
  echo "$paths" | grep -q '/dist-packages/orvane/_orvane\.cpython-.*\.so$' || fail "$python lacks the extension"
  needs "$python" Depends python3 python3-numpy libc6
  needs "$python" Recommends python3-xarray python3-netcdf4 python3-dask python3-distributed
  relations "$python" | grep -qi 'qt' && fail "$python must not ask for Qt"
fi

if command -v lintian >/dev/null 2>&1; then
  # Errors and warnings fail the check; notes are left to the reader.
  for deb in $debs; do
    if lintian --fail-on error,warning "$deb" 2>/dev/null; then
      echo "package: lintian found no error or warning in $deb"
    else
      fail "lintian judged $deb"
    fi
  done
fi

# root NAME EXCLUDED: a scratch root for dpkg, whose database holds the
# packages of this system whose names do not match the pattern EXCLUDED,
# so that dpkg -i checks every dependency as it would on such a system.
root() {
  dir=$scratch/$1
  mkdir -p "$dir/var/lib/dpkg/info" "$dir/var/lib/dpkg/updates"
  touch "$dir/var/lib/dpkg/available"
  awk -v RS= -v ORS='\n\n' -v excluded="^Package: [^\n]*($2)" '$0 !~ excluded' /var/lib/dpkg/status \
    >"$dir/var/lib/dpkg/status"
  echo "$dir"
}

server=$(root server 'qt|python|orvane')
dpkg --root="$server" --force-not-root -i "$cli" >"$scratch/server.log" 2>&1 ||
  { grep -v 'files list file' "$scratch/server.log"; fail "$cli does not install without Qt and Python"; }
"$server/usr/bin/orvane-cli" check samples/demo.spf >/dev/null || fail "the command line of $server fails"

# All of them side by side: dpkg refuses a file that two packages hold.
full=$(root full 'orvane')
# shellcheck disable=SC2086
dpkg --root="$full" --force-not-root -i $debs >"$scratch/full.log" 2>&1 ||
  { grep -v 'files list file' "$scratch/full.log"; fail "the packages do not install side by side"; }

# An upgrade from the one package there was before the split: a stand-in
# for orvane 1.0.0.1 that holds the files the command line and the module
# took over. dpkg lets the new packages replace them only when they say so.
if echo "$debs" | grep -q "$desktop"; then
  old=$scratch/old-orvane
  mkdir -p "$old/DEBIAN" "$old/usr/bin" "$old/usr/share/man/man1" "$old/usr/lib/python3/dist-packages/orvane"
  printf 'Package: orvane\nVersion: 1.0.0.1\nArchitecture: amd64\nMaintainer: Orvane developers <developers@orvane.org>\nDescription: pulse file converter\n' \
    >"$old/DEBIAN/control"
  cp build/cli/orvane-cli "$old/usr/bin/orvane-cli"
  cp "$full/usr/share/man/man1/orvane-cli.1.gz" "$old/usr/share/man/man1/"
  : >"$old/usr/lib/python3/dist-packages/orvane/__init__.py"
  dpkg-deb --root-owner-group --build "$old" "$scratch/orvane_1.0.0.1_amd64.deb" >/dev/null
  upgrade=$(root upgrade 'orvane')
  dpkg --root="$upgrade" --force-not-root -i "$scratch/orvane_1.0.0.1_amd64.deb" >"$scratch/upgrade.log" 2>&1 &&
    # shellcheck disable=SC2086
    dpkg --root="$upgrade" --force-not-root --auto-deconfigure -i $debs >>"$scratch/upgrade.log" 2>&1 ||
    { grep -v 'files list file' "$scratch/upgrade.log"; fail "the packages do not upgrade the single orvane 1.0.0.1"; }
  cmp -s build/cli/orvane-cli "$upgrade/usr/bin/orvane-cli" && fail "the upgrade kept the old orvane-cli"
  echo "package: the three packages upgrade the single orvane 1.0.0.1"
fi

bash tests/cli/completion_test.sh "$full/usr/share/bash-completion/completions/orvane-cli" >"$scratch/completion.log" 2>&1 ||
  { cat "$scratch/completion.log"; fail "the packaged bash completion fails"; }
ORVANE_CLI_DIR="$full/usr/bin" build/tests/cli/cli_case_tests --gtest_brief=1 >"$scratch/cases.log" 2>&1 ||
  { cat "$scratch/cases.log"; fail "the command-line cases fail with the packaged orvane-cli"; }
ORVANE_CLI_DIR="$full/usr/bin" build/tests/robustness/cli_signal_tests --gtest_brief=1 >"$scratch/signals.log" 2>&1 ||
  { cat "$scratch/signals.log"; fail "the signal tests fail with the packaged orvane-cli"; }

if echo "$debs" | grep -q "$desktop"; then
  grep -qx 'Exec=/usr/bin/orvane -Embedding' "$full/usr/share/dbus-1/services/Orvane.Application.service" ||
    fail "the activation file does not start /usr/bin/orvane"
  grep -qx 'MimeType=application/x-orvane-pulse;' "$full/usr/share/applications/orvane.desktop" ||
    fail "the menu entry does not open pulse files"
  # The type as the system's MIME database reads it: by name, and by the
  # magic number whatever the name.
  if command -v update-mime-database >/dev/null 2>&1; then
    update-mime-database "$full/usr/share/mime" >"$scratch/mime.log" 2>&1 ||
      { cat "$scratch/mime.log"; fail "update-mime-database refuses orvane.xml"; }
    grep -qx '50:application/x-orvane-pulse:\*\.spf' "$full/usr/share/mime/globs2" || fail "no *.spf in the MIME globs"
    if command -v gio >/dev/null 2>&1; then
      cp samples/demo.spf "$scratch/unnamed"
      for f in samples/demo.spf "$scratch/unnamed"; do
        type=$(XDG_DATA_DIRS="$full/usr/share" XDG_DATA_HOME="$scratch/none" gio info -a standard::content-type "$f" |
          sed -n 's/.*standard::content-type: //p')
        [ "$type" = application/x-orvane-pulse ] || fail "$f is of type '$type'"
      done
    fi
  fi
fi

if echo "$debs" | grep -q "$python"; then
  # The installed module, not the build's: from the root's dist-packages only.
  PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -I -c '
import sys
sys.path.insert(0, sys.argv[1])
import orvane
assert orvane.__file__.startswith(sys.argv[1]), orvane.__file__
assert orvane.validate(sys.argv[2])
with orvane.open(sys.argv[2]) as f:
    assert len(f.t) > 0
' "$full/usr/lib/python3/dist-packages" samples/demo.spf || fail "the packaged Python module fails"
fi

[ "$failed" = 0 ] && echo "package: 1 passed, 0 failed"
exit "$failed"
