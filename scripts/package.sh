#!/usr/bin/env bash
# Builds the Debian package of Rivulet (the window program with its menu entry and icon, the
# headless tool, the simulator, the sample study, manual pages and bash completion), with
# the package's dependencies read off the binaries, then unpacks it into a scratch folder and
# checks its files and its declared dependencies.
#   scripts/package.sh [build-dir]
# Prints the path of the package. Install it with: sudo apt install ./rivulet_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
# Only what the package holds is built; the binaries are stripped as they are packed.
RIVULET_TARGETS="rivulet rivulet-cli rivulet-sim man" bash "$root/scripts/build.sh" "$build"
(cd "$build" && cpack -G DEB >/dev/null)
package="$(ls -t "$build"/rivulet_*.deb | head -n1)"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$package" "$scratch"
fail() {
  echo "package.sh: $package: $*" >&2
  exit 1
}
for file in usr/bin/rivulet usr/bin/rivulet-cli usr/bin/rivulet-sim \
  usr/share/applications/rivulet.desktop usr/share/icons/hicolor/scalable/apps/rivulet.svg \
  usr/share/icons/hicolor/48x48/apps/rivulet.png usr/share/rivulet/sample/observations.csv \
  usr/share/bash-completion/completions/rivulet-cli usr/share/man/man1/rivulet-cli.1 \
  usr/share/doc/rivulet/copyright; do
  [ -e "$scratch/$file" ] || fail "it does not hold /$file"
done
depends="$(dpkg-deb -f "$package" Depends)"
for library in libqt5widgets5 libqt5sql5 libqt5sql5-sqlite libsqlite3-0 libc6; do
  grep -Eq "(^|, )$library( |,|$)" <<<"$depends" || fail "it does not depend on $library"
done
echo "$package"
