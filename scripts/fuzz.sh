#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 60), starting from a small study written by the
# simulator. A crash, a sanitizer report or a hang ends the script with an error; the input
# that caused it is left in the build folder's fuzz-work/ folder.
#   scripts/fuzz.sh [SECONDS]
# RIVULET_FUZZ_BUILD (default build-fuzz) is the build folder, RIVULET_JOBS the build's jobs.
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIVULET_FUZZ_BUILD:-$root/build-fuzz}"
targets=(fuzz_observations fuzz_ages fuzz_sites_config fuzz_counts_file)

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is needed (Debian package clang)" >&2; exit 1; }
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIVULET_FUZZ=ON -DRIVULET_BUILD_TESTS=OFF \
  -DRIVULET_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "${RIVULET_JOBS:-2}" --target "${targets[@]}" rivulet-sim

# Seeds: a small simulated study, cut to a few hundred lines so mutations stay quick.
work="$build/fuzz-work"
rm -rf "$work/seeds" "$work/study"
mkdir -p "$work"
ASAN_OPTIONS=detect_leaks=0 "$build/tools/rivulet-sim" --seed 7 --fish 20 --counts "$work/study" >/dev/null
declare -A seedOf=(
  [fuzz_observations]=observations.csv [fuzz_ages]=ages.csv
  [fuzz_sites_config]=sites_config.txt [fuzz_counts_file]=counts.txt)
for t in "${targets[@]}"; do
  mkdir -p "$work/seeds/$t" "$work/corpus/$t"
  head -n 200 "$work/study/${seedOf[$t]}" > "$work/seeds/$t/seed"
done
cp "$root/data/sample/counts.txt" "$work/seeds/fuzz_counts_file/sample"

export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# cov: edges reached, of all the edges instrumented in the target (linked code included).
printf '%-20s %12s %10s %16s %8s\n' target executions exec/s cov features
for t in "${targets[@]}"; do
  log="$work/$t.log"
  if ! (cd "$work" && "$build/fuzz/$t" -max_total_time="$seconds" -max_len=16384 -timeout=20 \
          -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$work/$t-" \
          "$work/corpus/$t" "$work/seeds/$t") >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz.sh: $t failed; see $log" >&2
    exit 1
  fi
  done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)"
  runs="$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log")"
  rate="$(sed -nE 's/.*exec\/s: *([0-9]+).*/\1/p' <<<"$done_line")"
  cov="$(sed -nE 's/.*cov: *([0-9]+).*/\1/p' <<<"$done_line")"
  ft="$(sed -nE 's/.*ft: *([0-9]+).*/\1/p' <<<"$done_line")"
  edges="$(sed -nE 's/.*Loaded [0-9]+ modules +\(([0-9]+) inline 8-bit counters\).*/\1/p' "$log" | head -n 1)"
  printf '%-20s %12s %10s %16s %8s\n' "$t" "${runs:-?}" "${rate:-?}" "${cov:-?}/${edges:-?}" "${ft:-?}"
done
