#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each in turn for the given number of seconds
# (default 60), seeded from the examples, the end-to-end inputs and the regressions. The random
# seed is fixed (FUZZ_SEED, default 1), so the same tree and corpus give the same sequence of
# inputs: a longer run covers every input a shorter one tries. The corpus grows in
# $BUILD_DIR/corpus/<target>; a finding is saved in $BUILD_DIR/findings/ and fails the script.
# Usage: fuzz/run.sh [seconds] [target ...]
#   (targets: keyword atom_lines bond_lines kelma symmetry records)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
seed=${FUZZ_SEED:-1}
# Seconds one input may take before it counts as a hang. Every run of both programs is bounded;
# some legitimate inputs (noisy C60, whose closures fail the atoms again and again) take several
# seconds under the fuzz build's instrumentation, so the limit leaves them a wide margin.
unit_limit=60
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(keyword atom_lines bond_lines kelma symmetry records)
build=${BUILD_DIR:-$root/build/fuzz}
cxx=${FUZZ_CXX:-$(command -v clang++-14 || command -v clang++)}

cmake -S "$root" -B "$build" -DFUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
cmake --build "$build" --target fuzzers -j2

seeds="$build/seeds"
rm -rf "$seeds" && mkdir -p "$seeds" "$build/findings"
for input in "$root"/tests/e2e/cases/*/input "$root"/examples/*/*.in; do
  [ -f "$input" ] || continue
  cp "$input" "$seeds/$(basename "$(dirname "$input")")_$(basename "$input")"
done
for molecules in "$root"/examples/*.sdf "$root"/examples/*.mol2 "$root"/examples/*.pdb \
  "$root"/examples/*.xyz; do
  cp "$molecules" "$seeds/"
done
for regression in "$root"/fuzz/regressions/*; do
  if [ -f "$regression" ]; then cp "$regression" "$seeds/"; fi
done

for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  echo "== fuzz_$target for $seconds s"
  log="$build/findings/$target.log"
  status=0
  "$build/fuzz/fuzz_$target" -seed="$seed" -max_total_time="$seconds" -timeout="$unit_limit" -rss_limit_mb=2048 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
    "$build/corpus/$target" "$seeds" >"$log" 2>&1 || status=$?
  grep -E "DONE|number_of_executed_units|ERROR|SUMMARY|fuzz check|Test unit written" "$log" || true
  [ "$status" -eq 0 ] || { echo "fuzz_$target: finding (exit $status), see $log"; exit 1; }
done
