#!/usr/bin/env bash
# Minimises the straight-chain alkanes C10H22, C40H82 and C160H322 (ideal staggered start) with
# kelma, with RDKit's MMFF94 and with Open Babel's obminimize (Ghemical, conjugate gradients), in
# the same run, and prints the times and the ratios peer / kelma. Installs Debian's python3-rdkit
# and openbabel when missing (needs root).
# usage: bench/peers.sh BUILD_DIR    (a build configured with -DBENCH=ON; uses BUILD_DIR/kelma and
#                                     BUILD_DIR/bench/alkane)
set -eu
build=$(realpath "${1:?usage: peers.sh BUILD_DIR}")
python=/usr/bin/python3 # Debian's interpreter, where python3-rdkit installs

missing=()
"$python" -c 'import rdkit' 2>/dev/null || missing+=(python3-rdkit)
command -v obminimize >/dev/null || missing+=(openbabel)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat >mmff.py <<'PY'
import sys, time
from rdkit import Chem
from rdkit.Chem import AllChem
mol = Chem.MolFromMol2File(sys.argv[1], removeHs=False)
start = time.perf_counter()
props = AllChem.MMFFGetMoleculeProperties(mol)
ff = AllChem.MMFFGetMoleculeForceField(mol, props)
ff.Initialize()
status = ff.Minimize(maxIts=100000, forceTol=1e-2, energyTol=1e-6)
print(f"{time.perf_counter() - start:.4f} {status} {ff.CalcEnergy():.4f}")
PY

seconds() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

printf '%-10s %6s | %9s %6s %12s | %9s %12s | %9s | %7s %7s\n' molecule atoms kelma_s cycles \
  kelma_kcal mmff94_s mmff94_kcal obmin_s mmff/k ob/k
for carbons in 10 40 160; do
  name=c$carbons
  "$build/bench/alkane" "$carbons" "$name" 0
  atoms=$(grep -c '^ ' "$name.in")

  t0=$(seconds)
  "$build/kelma" <"$name.in" >"$name.out"
  t1=$(seconds)
  kelma_time=$(elapsed "$t0" "$t1")
  cycles=$(grep '^\*\*' "$name.out" | tail -1 | awk '{print $2}')
  kelma_energy=$(grep '^\*\*' "$name.out" | tail -1 | awk '{printf "%.4f", $4 / 0.0015936}')

  read -r mmff_time mmff_status mmff_energy < <("$python" mmff.py "$name.mol2")

  t0=$(seconds)
  obminimize -ff Ghemical -cg -n 2500 -c 1e-6 -cut -rvdw 8.0 "$name.mol2" >"$name.ob" 2>"$name.oberr"
  t1=$(seconds)
  ob_time=$(elapsed "$t0" "$t1")

  printf '%-10s %6d | %9.3f %6d %12s | %9.3f %12s | %9.3f | %7.2f %7.2f\n' \
    "C${carbons}H$((2 * carbons + 2))" "$atoms" "$kelma_time" "$cycles" "$kelma_energy" \
    "$mmff_time" "$mmff_energy" "$ob_time" "$(elapsed 0 "$mmff_time / $kelma_time")" \
    "$(elapsed 0 "$ob_time / $kelma_time")"
  [ "$mmff_status" = 0 ] || echo "  (MMFF94 stopped before converging: status $mmff_status)"
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
