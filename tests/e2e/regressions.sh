#!/usr/bin/env bash
# Replays the inputs the fuzzers found (fuzz/regressions/PROGRAM_NAME.in): each is run by the
# program its name begins with, in an empty temporary folder, and must end within the time limit
# as a clean rejection, report or result (run_checks.sh).
set -u
here=$(cd "$(dirname "$0")" && pwd)
regressions=$(cd "${1:?usage: regressions.sh REGRESSIONS_DIR}" && pwd)
KELMA=$(realpath "$KELMA")
SYMMETRY=$(realpath "$SYMMETRY")
. "$here/run_checks.sh"

for input in "$regressions"/*; do
  name=$(basename "$input")
  case $name in
    kelma_*) exe=$KELMA ;;
    symmetry_*) exe=$SYMMETRY ;;
    *) verdict "$name" "the name does not begin with kelma_ or symmetry_"; continue ;;
  esac
  work=$(mktemp -d)
  cp "$input" "$work/input"
  run_limited "$exe" "$work"
  verdict "$name" "$(check_run "$work" any)"
  rm -rf "$work"
done
echo "$count fuzz regressions, $failures failed"
[ "$failures" -eq 0 ]
