#!/usr/bin/env bash
# Sets up, builds and runs every test.
#   scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
bash "$root/scripts/build.sh" "$build" "$@"
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc 2>/dev/null || echo 2)"
ctest --test-dir "$build" --output-on-failure --parallel "$jobs"
