#!/usr/bin/env bash
# The main job: sets up, builds, and runs Rivulet's headless tool on a
# fresh database in a working folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIVULET_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" "$build"
work="${RIVULET_WORK_DIR:-$root/work}"
rm -rf "$work/db"
mkdir -p "$work/db"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$build/cli/rivulet-cli" --db "$work/db/Rivulet.db" info
