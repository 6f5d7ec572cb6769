#!/usr/bin/env bash
# The main job: sets up and builds Rivulet if needed, then runs the whole
# pipeline of the headless tool on the bundled sample study (data/sample):
# loads the sites configuration, the observation export and the ages into a
# fresh database in a working folder, brings the data up to date, fits every
# model of "Fit All Models", prints the model comparison, and writes every
# report under one output folder, whose path it prints at the end.
#
#   scripts/run-sample.sh
#
# RIVULET_BUILD_DIR  build folder (default: build)
# RIVULET_WORK_DIR   working folder (default: work); its db/, settings/ and
#                    output/ folders are made anew on every run
# RIVULET_SKIP_SETUP=1 skips the package check of the build.
# Needs no display: the tool runs on Qt's offscreen platform.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIVULET_BUILD_DIR:-$root/build}"
work="${RIVULET_WORK_DIR:-$root/work}"
sample="$root/data/sample"

# The sample needs only the tool: the window, the tests and the benchmarks are left for
# scripts/test.sh.
RIVULET_TARGETS=rivulet-cli bash "$root/scripts/build.sh" "$build"
cli="$build/cli/rivulet-cli"

mkdir -p "$work"
work="$(cd "$work" && pwd)"
db="$work/db/Rivulet.db"
out="$work/output"
rm -rf "$work/db" "$work/settings" "$out"
mkdir -p "$work/db" "$work/settings"

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# The tool's per-user settings and data stay inside the working folder.
export XDG_CONFIG_HOME="$work/settings/config"
export XDG_DATA_HOME="$work/settings/data"
export XDG_RUNTIME_DIR="$work/settings/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

step() {
  echo
  echo "== $* =="
}

run() {
  "$cli" --db "$db" --sites-config "$sample/sites_config.txt" "$@"
}

step "Load observations"
run load-observations "$sample/observations.csv"
step "Load ages"
run load-ages "$sample/ages.csv"
step "Update"
run update
step "Fit all models"
run fit --out "$out"
step "Releases summary"
run report releases

step "Output"
echo "Every report is in: $out"
ls -1 "$out"
