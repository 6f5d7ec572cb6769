#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the installed tree: the three programs
# answer --version, the installed rivulet-cli runs the installed sample study, the desktop
# entry names an installed program and icon (and passes desktop-file-validate when it is
# installed).
#   installed_sample.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build="$1"
scratch="$2"
rm -rf "$scratch"
prefix="$scratch/prefix"
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/runtime"
chmod 700 "$scratch/runtime"
# The installed programs keep their settings and database in the scratch folder, never in
# the user's.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_RUNTIME_DIR="$scratch/runtime" XDG_CACHE_HOME="$scratch/home/.cache"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in rivulet rivulet-cli rivulet-sim; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
  "$prefix/bin/$program" --version | grep -Eq "^$program [0-9]+\.[0-9]+\.[0-9]+$" ||
    fail "$program --version"
done

share="$prefix/share"
sample="$share/rivulet/sample"
for file in sites_config.txt observations.csv ages.csv; do
  [ -s "$sample/$file" ] || fail "the sample's $file is not installed"
done
[ -f "$share/icons/hicolor/scalable/apps/rivulet.svg" ] || fail "no scalable icon"
grep -q "GNU GENERAL PUBLIC LICENSE" "$share/doc/rivulet/copyright" || fail "no licence"
for size in 16 22 24 32 48 64 128 256; do
  icon="$share/icons/hicolor/${size}x$size/apps/rivulet.png"
  [ -f "$icon" ] || fail "no ${size}x$size icon"
  # The PNG header holds the width and the height as 4-byte numbers from byte 16 on.
  [ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')" = \
    "0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))" ] ||
    fail "the ${size}x$size icon has another size"
done
completion="$share/bash-completion/completions/rivulet-cli"
[ -f "$completion" ] || fail "no bash completion"
# The completion offers every command of the tool's help and every option of each command's
# help, so that it cannot fall behind the tool.
complete() { :; }
# shellcheck source=/dev/null
source "$completion"
completions() {
  COMP_WORDS=(rivulet-cli "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _rivulet_cli
  printf '%s\n' "${COMPREPLY[@]}"
}
commands="$("$prefix/bin/rivulet-cli" --help | sed -n '/^Commands:/,$s/^  \([a-z-]*\).*/\1/p')"
[ -n "$commands" ] || fail "rivulet-cli --help lists no commands"
for command in $commands; do
  grep -qx -- "$command" <<<"$(completions "")" || fail "the completion does not offer $command"
  for option in $("$prefix/bin/rivulet-cli" "$command" --help |
    sed -n 's/^  \(--[a-z-]*\).*/\1/p'); do
    grep -qx -- "$option" <<<"$(completions "$command" "")" ||
      fail "the completion does not offer $command $option"
  done
done
if command -v help2man >/dev/null; then
  for program in rivulet rivulet-cli rivulet-sim; do
    grep -q "$program" "$share/man/man1/$program.1" || fail "no manual page of $program"
  done
fi

entry="$share/applications/rivulet.desktop"
[ -f "$entry" ] || fail "no desktop entry"
grep -qx "Exec=rivulet" "$entry" || fail "the desktop entry does not start rivulet"
grep -qx "Icon=rivulet" "$entry" || fail "the desktop entry does not show the icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
else
  echo "note: desktop-file-validate is not installed; the desktop entry was not validated"
fi

cli() {
  "$prefix/bin/rivulet-cli" --db "$scratch/study.db" --sites-config "$sample/sites_config.txt" \
    "$@"
}
cli load-observations "$sample/observations.csv" >/dev/null || fail "load-observations"
cli load-ages "$sample/ages.csv" >/dev/null || fail "load-ages"
cli update >/dev/null || fail "update"
cli summary --json "$scratch/summary.json" || fail "summary"
# Six releases: three release sites in two years.
[ "$(grep -c '"label": "[A-Z]* 200[89]"' "$scratch/summary.json")" -eq 6 ] ||
  fail "the summary of the installed sample does not hold its six releases"
echo "installed into $prefix and ran the sample"
