#!/usr/bin/env bash
# Runs two builds of one program on the same inputs at every $print level of PRINTS, every
# $jobtype of JOBTYPES (kelma) and every CPU set of CPUSETS (taskset lists: the process may use
# only those CPUs, so "0" is one thread and "0,1" two), and reports any difference in standard
# output, standard error, "debug", "fort.8" or "fort.9".
# usage: same_output.sh REFERENCE_PROGRAM NEW_PROGRAM INPUT...
set -u
# shellcheck disable=SC2034 # both are read through ${!side}
reference=$(realpath "$1")
# shellcheck disable=SC2034
candidate=$(realpath "$2")
shift 2
prints=${PRINTS:-0 1 3 4}
jobtypes=${JOBTYPES:-0 1}
cpusets=${CPUSETS:-0 0,1}
failures=0
runs=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The name of an input for the report: files called "input" are named after their folder.
label() {
  if [ "$(basename "$1")" = input ]; then basename "$(dirname "$1")"; else basename "$1"; fi
}

for input in "$@"; do
  name=$(label "$input")
  for jobtype in $jobtypes; do
    for print in $prints; do
      sed -e "s/^\$print.*/\$print $print/" -e "s/^\$jobtype.*/\$jobtype $jobtype/" "$input" \
        >"$work/input"
      for cpus in $cpusets; do
        for side in reference candidate; do
          rm -rf "${work:?}/$side" && mkdir "$work/$side"
          (cd "$work/$side" && taskset -c "$cpus" "${!side}" <../input >stdout 2>stderr)
        done
        runs=$((runs + 1))
        for file in stdout stderr debug fort.8 fort.9; do
          if [ -e "$work/reference/$file" ] || [ -e "$work/candidate/$file" ]; then
            if ! cmp -s "$work/reference/$file" "$work/candidate/$file"; then
              echo "DIFFER $name jobtype $jobtype print $print cpus $cpus: $file"
              failures=$((failures + 1))
            fi
          fi
        done
      done
    done
  done
  echo "checked $name"
done
echo "$# inputs, $runs runs (jobtypes $jobtypes; prints $prints; cpus $cpusets): $failures differences"
exit $((failures > 0))
