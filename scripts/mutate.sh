#!/usr/bin/env bash
# Mutation check of the core: applies one mutant at a time from scripts/mutants.tsv (one
# changed operator or constant in a core file), rebuilds, and runs the test binaries until
# one fails. A mutant the tests notice is "killed"; one they pass is "survived". Every file is
# restored after each mutant, and on interruption.
#   scripts/mutate.sh [build-dir] [mutants-file]
# The build directory must be configured already (scripts/build.sh does it). Prints one line
# per mutant and the kill count; the list of survivors tells where the tests are blind.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
mutants="${2:-$root/scripts/mutants.tsv}"
jobs="$(nproc 2>/dev/null || echo 2)"

saved=""
target=""
restore() {
  if [ -n "$saved" ] && [ -f "$saved" ]; then
    cp "$saved" "$target"
    rm -f "$saved"
    saved=""
  fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

export QT_QPA_PLATFORM=offscreen RIVULET_SOURCE_DIR="$root" RIVULET_BINARY_DIR="$build"

# Test binaries, those of the mutated file's own area first: they are the likeliest to fail,
# and the first failure ends the run of a mutant.
binaries_for() {
  local area
  area="$(dirname "$1" | tr '/' '_')"
  find "$build/tests" -type f -perm -u+x -name "test_${area}" | sort
  find "$build/tests" -type f -perm -u+x -name 'test_*' ! -name "test_${area}" | sort
}

if ! cmake --build "$build" --parallel "$jobs" >/dev/null; then
  echo "mutate.sh: the unmutated tree does not build in $build" >&2
  exit 2
fi

total=0
killed=0
stillborn=0
survivors=()
while IFS=$'\t' read -r file original mutated; do
  case "$file" in '' | '#'*) continue ;; esac
  total=$((total + 1))
  target="$root/$file"
  occurrences="$(grep -cF -- "$original" "$target" || true)"
  if [ "$occurrences" != 1 ]; then
    echo "stale   $file: the original text occurs $occurrences times"
    stillborn=$((stillborn + 1))
    continue
  fi
  saved="$(mktemp)"
  cp "$target" "$saved"
  ORIGINAL="$original" MUTATED="$mutated" python3 - "$target" <<'PY'
import os, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
open(path, "w", encoding="utf-8").write(text.replace(os.environ["ORIGINAL"], os.environ["MUTATED"], 1))
PY
  verdict="survived"
  if ! cmake --build "$build" --parallel "$jobs" >/dev/null 2>&1; then
    verdict="stillborn"
  else
    while read -r binary; do
      if ! timeout 900 "$binary" --gtest_brief=1 >/dev/null 2>&1; then
        verdict="killed"
        break
      fi
    done < <(binaries_for "$file")
  fi
  restore
  case "$verdict" in
    killed) killed=$((killed + 1)) ;;
    stillborn) stillborn=$((stillborn + 1)) ;;
    survived) survivors+=("$file: $mutated") ;;
  esac
  printf '%-9s %s: %s\n' "$verdict" "$file" "$mutated"
done < "$mutants"

# Leave the build matching the sources again.
cmake --build "$build" --parallel "$jobs" >/dev/null 2>&1
echo "killed $killed of $((total - stillborn)) mutants ($stillborn stillborn or stale)"
for s in "${survivors[@]}"; do
  echo "  survived: $s"
done
