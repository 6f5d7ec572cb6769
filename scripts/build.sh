#!/usr/bin/env bash
# Configures and builds Rivulet.
#   scripts/build.sh [build-dir] [extra cmake arguments...]
# Set RIVULET_SKIP_SETUP=1 to skip the package check.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
if [ "${RIVULET_SKIP_SETUP:-0}" != 1 ]; then
  bash "$root/scripts/setup.sh"
fi
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$jobs"
