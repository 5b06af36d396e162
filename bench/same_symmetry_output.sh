#!/usr/bin/env bash
# Compares two symmetry builds byte for byte (same_output.sh at $print 0, 1, 3 and 4 on one and
# two CPUs, unless PRINTS and CPUSETS say) on every symmetry input of the tree (examples,
# end-to-end cases, catalogue bases), the worked examples when the shared folder is beside the
# tree, the clusters of clusters.py and turned and noisy variants of all of them.  usage: same_symmetry_output.sh REFERENCE_SYMMETRY NEW_SYMMETRY
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inputs=("$root"/examples/symmetry/*.in "$root"/tests/e2e/cases/symmetry_*/input
  "$root"/tests/e2e/catalogue/*.in)
for shared in "$root/../shared" /work/shared; do
  if [ -d "$shared/worked-examples/symmetry" ]; then
    inputs+=("$shared"/worked-examples/symmetry/*/input)
    break
  fi
done
python3 "$here/clusters.py" "$work" "${inputs[@]}" || exit 1
PRINTS=${PRINTS:-0 1 3 4} JOBTYPES=0 CPUSETS=${CPUSETS:-0 0,1} "$here/same_output.sh" "$1" "$2" "${inputs[@]}" "$work"/*.in
