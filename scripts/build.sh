#!/usr/bin/env bash
# Configures and builds Rivulet.
#   scripts/build.sh [build-dir] [extra cmake arguments...]
# Set RIVULET_SKIP_SETUP=1 to skip the package check, and RIVULET_TARGETS to build only
# those targets (space-separated; default: all). The compiler cache is used when ccache is
# installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
if [ "${RIVULET_SKIP_SETUP:-0}" != 1 ]; then
  bash "$root/scripts/setup.sh"
fi
jobs="$(nproc 2>/dev/null || echo 2)"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
targets=()
for target in ${RIVULET_TARGETS:-}; do
  targets+=(--target "$target")
done
cmake --build "$build" --parallel "$jobs" "${targets[@]}"
