#!/usr/bin/env bash
# End-to-end runs of the companion tools on molecules that come without types: XYZ files whose
# bonds are perceived, SMILES through kelma to SDF, the parameter-coverage report and the files
# that must be refused.
# Usage: run_chemistry.sh BUILD_DIR EXAMPLES_DIR (BUILD_DIR holds the tools and kelma).
set -u
bin=$(realpath "${1:?usage: run_chemistry.sh BUILD_DIR EXAMPLES_DIR}")
examples=$(realpath "${2:?usage: run_chemistry.sh BUILD_DIR EXAMPLES_DIR}")
source "$(dirname "$0")/harness.sh"

# --- XYZ: perceived bonds optimise to their Tripos lengths --------------------------------
# Largest difference between a bonded distance of the "!" records and its reference length in
# the parameter listing of the debug file (print level 4: i, j, r0, k for every pair; r0 is 0
# for non-bonded pairs), and the number of bonds listed.
bond_errors() { # debug stdout
  awk 'FNR == 1 { file++ }
       file == 1 && /Distance Parameters/ { listing = 1; next }
       file == 1 && listing && NF == 4 && $3 + 0 > 0 { n++; a[n] = $1; b[n] = $2; r0[n] = $3; next }
       file == 1 && listing && NF != 4 { listing = 0 }
       file == 2 && /^!/ { m++; x[m] = substr($0, 2, 16); y[m] = substr($0, 18, 16); z[m] = substr($0, 34, 16) }
       END { for (k = 1; k <= n; k++) {
               d = sqrt((x[a[k]]-x[b[k]])^2 + (y[a[k]]-y[b[k]])^2 + (z[a[k]]-z[b[k]])^2) - r0[k]
               if (d < 0) d = -d; if (d > worst) worst = d }
             printf "%d %.4f\n", n, worst }' "$1" "$2"
}
"$bin/ffbatch" -j 2 -p kelma --print 4 -o xyz "$examples/water.xyz" "$examples/paracetamol.xyz" \
  "$examples/molecules.xyz" >/dev/null 2>xyz.err
expect_status 0 $? "ffbatch on XYZ files"
grep -q "^ffbatch: water.xyz molecule 1: the file has no bonds: 2 bonds and their orders perceived" xyz.err ||
  fail "perceived bonds not reported: $(head -3 xyz.err)"
for expected in "water 2" "benzene 12" "acetic_acid 7" "paracetamol 20"; do
  read -r name bonds <<<"$expected"
  set -- "$name" "$bonds"
  [ "$(outcome xyz/status.tsv "$1" kelma)" = converged ] || fail "$1 from XYZ did not converge"
  [ "$(awk -F'\t' -v m="$1" '$1 == m { print $9 "/" $10 }' xyz/status.tsv)" = "none/bonds perceived" ] ||
    fail "$1: terms without parameter, or perception not noted"
  read -r count worst < <(bond_errors "xyz/$1/kelma/debug" "xyz/$1/kelma/stdout")
  [ "$count" = "$2" ] || fail "$1: $count bonds with a reference length, expected $2"
  awk -v e="$worst" 'BEGIN { exit !(e <= 0.05) }' ||
    fail "$1: a bond is $worst A from its reference length"
done

# --- SMILES -> ffprep -> kelma -> ffresult SDF ---------------------------------------------
smiles=("CC(=O)O" "Oc1ccccc1" "CC(=O)Nc1ccc(O)cc1" "Cn1cnc2c1c(=O)n(C)c(=O)n2C" "CC(=O)Oc1ccccc1C(=O)O")
names=(acetic_acid phenol paracetamol caffeine aspirin)
args=()
for k in "${!smiles[@]}"; do args+=(--smiles "${smiles[$k]}" --name "${names[$k]}"); done
"$bin/ffprep" -o smi "${args[@]}" >/dev/null 2>smi.err
expect_status 0 $? "ffprep on SMILES"
for k in "${!names[@]}"; do
  name=${names[$k]}
  mkdir -p "run/$name"
  (cd "run/$name" && "$bin/kelma" <"../../smi/$name.in" >stdout 2>stderr &&
    "$bin/symmetry" <"../../smi/$name.in" >symmetry.out)
  [ -s "run/$name/stderr" ] && fail "$name: kelma said $(cat "run/$name/stderr")"
  grep -q '^!' "run/$name/stdout" || fail "$name: kelma did not converge"
  "$bin/ffresult" --template "smi/$name.mol2" --symmetry "run/$name/symmetry.out" \
    --geometry "$name.sdf" "run/$name/stdout" || fail "$name: ffresult"
  grep -A1 '<converged>' "$name.sdf" | grep -qx yes || fail "$name: no convergence field"
  [ "$(grep -A1 '<point_group>' "$name.sdf" | tail -1)" = "$(sed -n 's/^\*Point Group: *\([^ ]*\).*/\1/p' "run/$name/symmetry.out")" ] ||
    fail "$name: point group field"
  grep -q '<energy_kcal_per_mol>' "$name.sdf" || fail "$name: no energy field"
  # Open Babel reads the result back as the molecule of the SMILES.
  [ "$(obabel "$name.sdf" -ocan 2>/dev/null | cut -f1)" = "$(obabel -:"${smiles[$k]}" -ocan 2>/dev/null | cut -f1)" ] ||
    fail "$name: the SDF is not the molecule of the SMILES"
done

# --- parameter coverage ----------------------------------------------------------------------
"$bin/ffprep" -o cover --smiles 'CC(=O)[O-]' --name acetate --smiles c1ccccc1 --name benzene \
  >/dev/null 2>cover.err
expect_status 0 $? "ffprep acetate and benzene"
grep -qx "ffprep: SMILES CC(=O)\[O-\]: 1 bond has no parameter and is held at its input length: C.2-O.co2" cover.err ||
  fail "no coverage summary for acetate: $(cat cover.err)"
grep "c1ccccc1" cover.err | grep -q "no parameter" && fail "coverage summary for benzene"
"$bin/ffbatch" -p kelma -o strict --strict --smiles 'CC(=O)[O-]' --name acetate --smiles c1ccccc1 \
  --name benzene >/dev/null 2>strict.err
expect_status 1 $? "ffbatch --strict"
[ "$(outcome strict/status.tsv acetate -)" = skipped ] || fail "--strict did not skip acetate"
[ "$(awk -F'\t' '$1 == "acetate" { print $9 }' strict/status.tsv)" = "bonds 1" ] || fail "coverage column"
[ "$(outcome strict/status.tsv benzene kelma)" = converged ] || fail "--strict: benzene"

# --- the same molecule gets the same start: in any order, on any number of workers -------------
same=("CC(=O)Nc1ccc(O)cc1 paracetamol" "N[C@@H](Cc1ccccc1)C(=O)O phenylalanine"
  "C/C=C/C=C\\C hexadiene" "OC[C@H]1O[C@@H](O)[C@H](O)[C@@H](O)[C@@H]1O glucose"
  "CC1(C)C2CCC1(C)C(=O)C2 camphor")
forward=() backward=()
for entry in "${same[@]}"; do
  read -r smiles name <<<"$entry"
  set -- "$smiles" "$name"
  forward+=(--smiles "$1" --name "$2")
  backward=(--smiles "$1" --name "$2" "${backward[@]}")
done
"$bin/ffprep" -o same-1 "${forward[@]}" >/dev/null 2>&1
"$bin/ffprep" -o same-2 "${backward[@]}" >/dev/null 2>&1
"$bin/ffbatch" -p kelma -j 1 -o same-3 "${forward[@]}" >/dev/null 2>&1
"$bin/ffbatch" -p kelma -j 2 -o same-4 "${backward[@]}" >/dev/null 2>&1
"$bin/ffbatch" -p kelma -j 1 --stream -o same-5 "${forward[@]}" >/dev/null 2>&1
"$bin/ffbatch" -p kelma -j 2 --stream -o same-6 "${forward[@]}" >/dev/null 2>&1
for entry in "${same[@]}"; do
  read -r smiles name <<<"$entry"
  set -- "$smiles" "$name"
  grep -qx "# 3D start: RDKit .* ETKDGv3, seed 42" "same-1/$2.in" || fail "$2: the build is not recorded"
  for other in same-2/$2.in same-3/$2/input same-4/$2/input; do
    cmp -s "same-1/$2.in" "$other" || fail "$2: $other is not the first run's input"
  done
done
cmp -s same-5/shard-000001.sdf same-6/shard-000001.sdf || fail "streamed results differ with the workers"
"$bin/ffprep" -o seed-7 --build-seed 7 --smiles CC1=CC=CC=C1O --name cresol >/dev/null 2>&1
"$bin/ffprep" -o seed-42 --smiles CC1=CC=CC=C1O --name cresol >/dev/null 2>&1
grep -qx "# 3D start: RDKit .* ETKDGv3, seed 7" seed-7/cresol.in || fail "--build-seed not recorded"
[ "$(grep -c '^ ' seed-7/cresol.in)" = 16 ] && ! cmp -s seed-7/cresol.in seed-42/cresol.in ||
  fail "--build-seed 7 gave no other start"
c60='c12c3c4c5c1c1c6c7c2c2c8c3c3c9c4c4c%10c5c5c1c1c6c6c%11c7c2c2c7c8c3c3c8c9c4c4c9c%10c5c5c1c1c6c6c%11c2c2c7c3c3c8c4c4c9c5c1c1c6c2c3c41'
"$bin/ffprep" -o slow --build-timeout 1 --smiles "$c60" --name c60 >/dev/null 2>slow.err
expect_status 1 $? "ffprep of a build past its limit"
grep -q ": the 3D build took longer than 1 s of processor time (--build-timeout sets the limit); skipped" slow.err &&
  [ ! -e slow/c60.in ] || fail "a build past its limit was not stopped and reported"

# --- bad files: one line each, a skipped status, nothing half written -------------------------
head -c "$(($(grep -b -m1 '^acetone' "$examples/molecules.sdf" | cut -d: -f1) + 200))" \
  "$examples/molecules.sdf" >truncated.sdf
awk '/^CONECT/ && !done { print "CONECT    1  999"; done = 1; next } { print }' \
  "$examples/molecules.pdb" | awk '/^END/ { exit } { print }' >conect.pdb
echo "1 2 3" >molecule.foo
: >empty.sdf
head -c 4096 "$bin/ffprep" >binary.sdf
for file in truncated.sdf conect.pdb molecule.foo empty.sdf binary.sdf; do
  "$bin/ffprep" -o "bad-${file%.*}" "$file" >/dev/null 2>bad.err
  expect_status 1 $? "ffprep $file"
  [ "$(wc -l <bad.err)" = 1 ] && grep -q "^ffprep: $file.*: .*; skipped$" bad.err ||
    fail "$file: not one clear line: $(cat bad.err)"
done
[ "$(ls bad-truncated)" = "$(printf 'ethanol.in\nethanol.mol2')" ] || fail "truncated SDF: $(ls bad-truncated)"
! compgen -G 'bad-conect/*.*' >/dev/null && ! compgen -G 'bad-molecule/*.*' >/dev/null &&
  ! compgen -G 'bad-empty/*.*' >/dev/null && ! compgen -G 'bad-binary/*.*' >/dev/null ||
  fail "a bad file left files behind"
"$bin/ffbatch" -p kelma -o bad truncated.sdf conect.pdb molecule.foo empty.sdf binary.sdf \
  >/dev/null 2>/dev/null
expect_status 1 $? "ffbatch on bad files"
[ "$(awk -F'\t' 'NR > 1 && $4 == "skipped"' bad/status.tsv | wc -l)" = 5 ] ||
  fail "bad files not skipped: $(cat bad/status.tsv)"
[ "$(outcome bad/status.tsv ethanol kelma)" = converged ] || fail "the good molecule before the damage"

finish chemistry
