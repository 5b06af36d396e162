#!/usr/bin/env bash
# Runs two builds of one program on the same inputs, each at $print 0, 3 and 4 (the levels in
# PRINTS when set; $jobtype 1 when HESSIAN=1), and reports any difference in standard output,
# standard error, "debug", "fort.8" or "fort.9".
# usage: same_output.sh REFERENCE_PROGRAM NEW_PROGRAM INPUT...
set -u
reference=$(realpath "$1")
candidate=$(realpath "$2")
shift 2
failures=0
checked=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for input in "$@"; do
  for print in ${PRINTS:-0 3 4}; do
    sed -e "s/^\$print.*/\$print $print/" "$input" >"$work/input"
    [ "${HESSIAN:-0}" = 1 ] && sed -i -e 's/^\$jobtype.*/$jobtype 1/' "$work/input"
    for side in reference candidate; do
      rm -rf "$work/$side" && mkdir "$work/$side"
      (cd "$work/$side" && "${!side}" <../input >stdout 2>stderr)
    done
    for file in stdout stderr debug fort.8 fort.9; do
      if [ -e "$work/reference/$file" ] || [ -e "$work/candidate/$file" ]; then
        if ! cmp -s "$work/reference/$file" "$work/candidate/$file"; then
          echo "DIFFER $input print $print: $file"
          failures=$((failures + 1))
        fi
      fi
    done
  done
  checked=$((checked + 1))
done
echo "$checked inputs compared, $failures differing files"
exit $((failures > 0))
