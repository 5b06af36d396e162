#!/usr/bin/env bash
# The same input gives the same bytes on every machine: kelma and symmetry run every bundled
# example, every end-to-end case, every worked example (when the shared folder is beside the
# tree) and the molecules of processor_sensitive/ (whose bytes the C library's functions made
# depend on the processor) three ways, and standard output, standard error, the exit status,
# "debug", "fort.8" and "fort.9" must agree byte for byte:
#   native  the x86-64 build as it runs here;
#   no-fma  the same build with the C library's FMA and AVX2 variants masked, as on a processor
#           (or a virtual machine's generic CPU model) without them;
#   arm64   a static arm64 build run under qemu-aarch64.
# kelma runs each input at its own $print and again at $print 4, which lists every energy.
# usage: same_on_every_machine.sh NATIVE_BUILD_DIR ARM64_BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
native=$(realpath "${1:?usage: same_on_every_machine.sh NATIVE_BUILD_DIR ARM64_BUILD_DIR}")
arm64=$(realpath "${2:?usage: same_on_every_machine.sh NATIVE_BUILD_DIR ARM64_BUILD_DIR}")
masked_variants=glibc.cpu.hwcaps=-AVX2,-FMA,-AVX512F
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

inputs=("$root"/examples/kelma/*.in "$root"/examples/symmetry/*.in "$root"/tests/e2e/cases/*/input
  "$here"/processor_sensitive/kelma/*.in)
for shared in "$root/../shared" /work/shared; do
  if [ -d "$shared/worked-examples" ]; then
    inputs+=("$shared"/worked-examples/*/*/input)
    break
  fi
done

# The program an input is for: a case names it in its file "program", otherwise its folder or its
# folder's folder is named after it.
program_of() {
  local dir
  dir=$(dirname "$1")
  if [ -f "$dir/program" ]; then
    cat "$dir/program"
  elif [[ $(basename "$dir") =~ ^(kelma|symmetry)$ ]]; then
    basename "$dir"
  else
    basename "$(dirname "$dir")"
  fi
}

# run MACHINE PROGRAM INPUT: the run's files in $work/MACHINE.
run() {
  local machine=$1 program=$2
  rm -rf "${work:?}/$machine" && mkdir "$work/$machine"
  (
    cd "$work/$machine" || exit 1
    case $machine in
    native) "$native/$program" ;;
    no-fma) GLIBC_TUNABLES=$masked_variants "$native/$program" ;;
    arm64) qemu-aarch64 "$arm64/$program" ;;
    esac <"$3" >stdout 2>stderr
    echo $? >exit_status
  )
}

failures=0
runs=0
for input in "${inputs[@]}"; do
  program=$(program_of "$input")
  prints=own
  [ "$program" = kelma ] && prints="own 4"
  for print in $prints; do
    if [ "$print" = own ]; then
      cp "$input" "$work/input"
    else
      sed "s/^\$print.*/\$print $print/" "$input" >"$work/input"
    fi
    for machine in native no-fma arm64; do
      run "$machine" "$program" "$work/input"
    done
    runs=$((runs + 1))
    for machine in no-fma arm64; do
      for file in stdout stderr exit_status debug fort.8 fort.9; do
        if [ -e "$work/native/$file" ] || [ -e "$work/$machine/$file" ]; then
          if ! cmp -s "$work/native/$file" "$work/$machine/$file"; then
            echo "DIFFER ${input#"$root"/} print $print: $file of $machine"
            failures=$((failures + 1))
          fi
        fi
      done
    done
  done
done
echo "$runs runs on three machines, $failures differences"
[ "$failures" -eq 0 ]
