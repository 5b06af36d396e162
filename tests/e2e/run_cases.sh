#!/usr/bin/env bash
# Runs every case folder under the given directory: the program named in its file "program"
# (kelma or symmetry) reads "input" in an empty temporary folder; standard output, standard error,
# the exit status and the files debug, fort.8 and fort.9 are compared with the expected files.
# A case with a file "exit_code" other than 0 is an input rejection: it must exit with that status,
# say something on standard error and write nothing on standard output.
set -u
cases=$(cd "${1:?usage: run_cases.sh CASES_DIR}" && pwd)
KELMA=$(realpath "$KELMA")
SYMMETRY=$(realpath "$SYMMETRY")
failures=0
count=0
for dir in "$cases"/*/; do
  name=$(basename "$dir")
  program=$(cat "$dir/program")
  case $program in
    kelma) exe=$KELMA ;;
    symmetry) exe=$SYMMETRY ;;
    *) echo "FAIL $name: unknown program '$program'"; failures=$((failures + 1)); continue ;;
  esac
  work=$(mktemp -d)
  (cd "$work" && "$exe" <"$dir/input" >stdout 2>stderr; echo $? >exit_code)
  count=$((count + 1))
  fail=""
  expected_status=$(cat "$dir/exit_code" 2>/dev/null || echo 0)
  actual_status=$(cat "$work/exit_code")
  if [ "$expected_status" != "$actual_status" ]; then
    fail="exit status $actual_status, expected $expected_status"
  elif [ "$expected_status" != 0 ]; then
    [ -s "$work/stderr" ] || fail="no diagnostic on standard error"
    [ -s "$work/stdout" ] && fail="standard output is not empty"
  else
    for file in stdout stderr; do
      cmp -s "$work/$file" "${dir}$file" 2>/dev/null || { [ ! -e "${dir}$file" ] && [ ! -s "$work/$file" ]; } ||
        { fail="$file differs"; break; }
    done
    for file in debug fort.8 fort.9; do
      [ -z "$fail" ] || break
      if [ -e "${dir}$file" ] || [ -e "$work/$file" ]; then
        cmp -s "${dir}$file" "$work/$file" 2>/dev/null || fail="$file differs"
      fi
    done
  fi
  if [ -n "$fail" ]; then
    echo "FAIL $name: $fail"
    [ -n "${E2E_VERBOSE:-}" ] && for f in stdout stderr debug fort.8 fort.9; do
      [ -e "$dir/$f" ] || [ -e "$work/$f" ] && diff "$dir/$f" "$work/$f" | head -20
    done
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
  rm -rf "$work"
done
echo "$count cases, $failures failed"
[ "$failures" -eq 0 ]
