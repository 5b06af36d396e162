#!/usr/bin/env bash
# The command line of both programs: --help and --version answer on standard output and touch no
# file, any other argument is refused in one line with status 2, and a terminal on standard input
# gets one line on standard error saying where the input is read from.
set -u
programs=("$(realpath "$KELMA")" "$(realpath "$SYMMETRY")")
version=$(sed -n 's/^project([^ ]* VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
failures=0
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

for exe in "${programs[@]}"; do
  name=$(basename "$exe")
  work=$(mktemp -d)
  cd "$work" || exit 1
  "$exe" --help >out 2>err </dev/null
  status=$?
  [ $status = 0 ] && [ -s out ] && [ ! -s err ] && grep -q "^Usage: $name" out ||
    fail "$name --help: not the usage on standard output with status 0"
  "$exe" --version >out 2>err </dev/null
  status=$?
  [ $status = 0 ] && [ "$(cat out)" = "$name $version" ] ||
    fail "$name --version: $(cat out err)"
  "$exe" input.in >out 2>err </dev/null
  [ $? = 2 ] && [ ! -s out ] && [ "$(wc -l <err)" = 1 ] || fail "$name input.in: not one line and status 2"
  ls debug fort.8 fort.9 >/dev/null 2>&1 && fail "$name: the arguments left a listing or trace file"
  # A terminal on standard input: the notice, then the run (Ctrl-D ends the empty input).
  printf '\004' | timeout 10 script -qec "$exe" /dev/null >out 2>&1
  grep -q "^$name: reading the keyword input from standard input" out ||
    fail "$name at a terminal: no notice ($(head -c 200 out))"
  grep -q "^STOP \*\*\* ${name^^} Error Termination" out || fail "$name at a terminal: no report"
  cd / && rm -rf "$work"
done
echo "command line of 2 programs, $failures failed"
[ "$failures" -eq 0 ]
