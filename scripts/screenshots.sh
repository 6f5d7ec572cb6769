#!/usr/bin/env bash
# Pictures of the window program: builds Rivulet if needed, runs the bundled
# sample study through the application window's own flows (load observations,
# load ages, Fit All Models, a report) and writes PNG pictures of the main
# window, the settings window, the about box, the estimates diagram of the
# best model, the sites and years configuration, the releases and cohorts
# configuration, the next detections view and the study design of the best
# model.
#
#   scripts/screenshots.sh [DIR]        (default: docs/)
#
# RIVULET_BUILD_DIR  build folder (default: build)
# RIVULET_XVFB=1     draw on an Xvfb display (xvfb-run, installed by
#                    scripts/setup.sh) instead of Qt's offscreen platform
# RIVULET_SKIP_SETUP=1 skips the package check of the build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIVULET_BUILD_DIR:-$root/build}"
out="${1:-$root/docs}"

if [ ! -x "$build/app/rivulet-screenshots" ]; then
  bash "$root/scripts/build.sh" "$build"
else
  cmake --build "$build" --target rivulet-screenshots >/dev/null
fi

mkdir -p "$out"
out="$(cd "$out" && pwd)"
# The run's settings, database and sites configuration stay in a scratch folder.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home"
export XDG_CONFIG_HOME="$scratch/config"
export XDG_DATA_HOME="$scratch/data"
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

tool=("$build/app/rivulet-screenshots" "$scratch/pictures" "$root/data/sample")
if [ "${RIVULET_XVFB:-0}" = 1 ] && command -v xvfb-run >/dev/null; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1920x1200x24" "${tool[@]}" >/dev/null
else
  QT_QPA_PLATFORM=offscreen "${tool[@]}" >/dev/null 2>"$scratch/stderr" ||
    { cat "$scratch/stderr" >&2; exit 1; }
fi
for picture in main-window settings about graphical-results sites-years-release \
  sites-years-pooled sites-years-unestimable releases-cohorts next-detections study-design; do
  cp "$scratch/pictures/$picture.png" "$out/$picture.png"
  echo "$out/$picture.png"
done
