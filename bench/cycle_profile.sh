#!/usr/bin/env bash
# Where a kelma cycle's time goes. For each input: the cycles of the run; the CPU time of a cycle
# (user and system, perf stat task-clock, best of RUNS runs), that is the whole run less a run of
# the same input stopped at its first cycle ($nsteps 1: start-up, reading, set-up), divided by
# the cycles after the first; and from perf record of the whole run the shares of the force
# field, the quasi-Newton update, the output, the one-time set-up, the kernel and the rest.
# usage: cycle_profile.sh KELMA INPUT...   (RUNS, default 5; CPUS, a taskset list, default 0)
set -eu
kelma=$(realpath "$1")
shift
runs=${RUNS:-5}
cpus=${CPUS:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The share of each group of symbols in a perf report (overhead and symbol per line).
shares() {
  awk '
    /^ *[0-9.]+%/ {
      share = $1; sub("%", "", share); name = $0
      if (name ~ /\[k\]/) group = "kernel"
      else if (name ~ /bfgsupd|lower_product|update_lower|add_block_columns|add_lower_terms|add_left_columns|follow_product|matvec|WorkerPool|linger_until|sched_yield|clock_gettime/) group = "update"
      else if (name ~ /evaluate|compute_distances|ffegrad|ffener|ffderiv|gradient|energy|cross|acos|cos|sin|sqrt/) group = "ff"
      else if (name ~ /ffsetup|fftors|ffpair|ffbend|ffcount|addtors|addbend|param|NeighbourLists|visit/) group = "setup"
      else if (name ~ /record|Record|channels|to_chars|fixed_chars|append_|format_|write|fwrite|memmove|memcpy/) group = "output"
      else group = "other"
      total[group] += share
    }
    END {
      printf "%6.1f %6.1f %6.1f %6.1f %6.1f %6.1f", total["ff"], total["update"], total["output"],
        total["setup"], total["kernel"], total["other"]
    }'
}

printf '%-14s %6s %7s | %12s | %6s %6s %6s %6s %6s %6s (%% of CPU)\n' input atoms cycles \
  "CPU/cycle us" ff update output setup kernel other
# The best CPU time of RUNS runs of kelma on the file, in milliseconds; its output in out.
best_ms() {
  local best="" ms
  for _ in $(seq "$runs"); do
    taskset -c "$cpus" perf stat -x, -e task-clock -o stat.txt "$kelma" <"$1" >out 2>/dev/null
    ms=$(awk -F, '/task-clock/ { print $1 }' stat.txt)
    if [ -z "$best" ] || [ "$(echo "$ms < $best" | bc -l)" = 1 ]; then best=$ms; fi
  done
  echo "$best"
}

for input in "$@"; do
  # shellcheck disable=SC2016 # $natoms and $nsteps are keywords, not variables
  atoms=$(awk '$1 == "$natoms" { print $2 }' "$input")
  # shellcheck disable=SC2016
  sed -e 's/^\$nsteps.*/$nsteps 1/' "$input" >first.in
  first=$(best_ms first.in)
  whole=$(best_ms "$input")
  cycles=$(grep '^\*\*' out | tail -1 | awk '{ print $2 }')
  taskset -c "$cpus" perf record -q -F 10000 -o perf.data "$kelma" <"$input" >/dev/null 2>&1
  split=$(perf report -i perf.data --stdio --no-children --sort sym 2>/dev/null | shares)
  printf '%-14s %6s %7s | %12.1f | %s\n' "$(basename "$input" .in)" "$atoms" "$cycles" \
    "$(echo "($whole - $first) * 1000 / ($cycles - 1)" | bc -l)" "$split"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; CPUs $cpus"
