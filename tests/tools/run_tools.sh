#!/usr/bin/env bash
# End-to-end run of the companion tools on the bundled MOL2 file: ffprep, ffbatch (local pool,
# symmetry on the optimised geometry, resume, a bad molecule, the cycle limit, GNU parallel and
# Slurm job lists) and ffresult.
# Usage: run_tools.sh BUILD_DIR MOLECULES_MOL2 (BUILD_DIR holds ffprep, ffbatch, ffresult,
# kelma and symmetry side by side).
set -u
bin=$(realpath "${1:?usage: run_tools.sh BUILD_DIR MOLECULES_MOL2}")
molecules=$(realpath "${2:?usage: run_tools.sh BUILD_DIR MOLECULES_MOL2}")
source "$(dirname "$0")/harness.sh"

# --- ffprep: one keyword input and one MOL2 per molecule ---------------------------------
"$bin/ffprep" -o prep "$molecules" >prep.out 2>prep.err
expect_status 0 $? "ffprep"
[ "$(wc -l <prep.out)" = 12 ] || fail "ffprep listed $(wc -l <prep.out) inputs, expected 12"
[ -f prep/N-methylacetamide.in ] && [ -f prep/acetic_acid.mol2 ] || fail "ffprep file names"
[ -s prep.err ] && fail "ffprep said: $(cat prep.err)"

# --- ffbatch -j 2 over the prepared folder ----------------------------------------------
"$bin/ffbatch" -j 2 -o runs prep >batch.out 2>batch.err
expect_status 0 $? "ffbatch -j 2"
[ "$(head -1 runs/status.tsv)" = "$(printf 'molecule\tatoms\tprogram\toutcome\tcycles\tenergy\trms_force\tseconds\tno_parameter\tnotes\tdetail')" ] ||
  fail "status.tsv header"
[ "$(wc -l <runs/status.tsv)" = 25 ] || fail "status.tsv has $(wc -l <runs/status.tsv) lines"
[ "$(awk -F'\t' '$3 == "kelma" && $4 == "converged" && $5 ~ /^[0-9]+$/' runs/status.tsv | wc -l)" = 12 ] ||
  fail "not every kelma run converged: $(cat runs/status.tsv)"
for expected in "benzene 12 d6h" "ethylene 6 d2h" "acetone 10 c2v" "pyridine 11 c2v" \
  "chloromethane 5 c3v" "propyne 7 c3v" "ethanol 9 cs" "N-methylacetamide 12 cs"; do
  read -r -a fields <<<"$expected"
  set -- "${fields[@]}"
  [ "$(outcome runs/status.tsv "$1" symmetry)" = "point group $3" ] || fail "$1: point group"
  [ "$(awk -F'\t' -v m="$1" '$1 == m && $3 == "symmetry" { print $2 }' runs/status.tsv)" = "$2" ] ||
    fail "$1: atom count"
done
# The energy and RMS force columns are those of the last cycle record on standard output.
last=$(grep '^\*\*' runs/benzene/kelma/stdout | tail -1 | awk '{ print $2, $4, $6 }')
[ "$(awk -F'\t' '$1 == "benzene" && $3 == "kelma" { print $5, $6, $7 }' runs/status.tsv)" = "$last" ] ||
  fail "benzene: status columns differ from the last cycle record"

awk -F'\t' '$1 == "benzene" && $3 == "symmetry" { print $11 }' runs/status.tsv |
  grep -Eqx "D6h, 2 totally symmetric degrees of freedom; symmetrisation moved the atoms [0-9.]+ A rms, [0-9.]+ A at most; images within [0-9.]+ A; CSM [0-9.]+" ||
  fail "benzene: point group in words with its deviation"

# --- symmetry runs on kelma's optimised geometry, or with --symmetry-input start on the input's ---
ethane=$(dirname "$molecules")/kelma/ethane.in
"$bin/ffbatch" -o chained "$ethane" >/dev/null 2>&1
expect_status 0 $? "ffbatch on ethane"
[ "$(outcome chained/status.tsv ethane symmetry)" = "point group d3d" ] || fail "chained ethane: $(cat chained/status.tsv)"
# The symmetry input is the keyword input with kelma's "!" coordinates in columns 1-48.
[ "$(awk '/^\$coordinates/ { a = 1; next } a && n < 8 { print substr($0, 1, 48); n++ }' chained/ethane/optimised.in)" = \
  "$(grep '^!' chained/ethane/kelma/stdout | cut -c2-)" ] || fail "optimised.in coordinates"
"$bin/ffbatch" -o start --symmetry-input start "$ethane" >/dev/null 2>&1
expect_status 0 $? "ffbatch --symmetry-input start"
[ "$(outcome start/status.tsv ethane symmetry)" = "point group c1" ] || fail "ethane from its start"
[ -e start/ethane/optimised.in ] && fail "--symmetry-input start wrote optimised.in"
# ffresult writes the symmetrised geometry, in the standard frame: the C-C axis on z.
"$bin/ffresult" --input chained/ethane/input --symmetry chained/ethane/symmetry/stdout \
  --symmetrised sym.xyz --symmetrised sym.sdf chained/ethane/kelma/stdout
expect_status 0 $? "ffresult --symmetrised"
[ "$(awk 'NR == 3 || NR == 4 { print $1, $2, $3 }' sym.xyz)" = "$(printf 'C 0.00000 0.00000\nC 0.00000 0.00000')" ] ||
  fail "symmetrised ethane: $(cat sym.xyz)"
grep -A1 '<point_group>' sym.sdf | grep -qx d3d || fail "symmetrised SDF: no point group"

# --- ffresult: optimised MOL2, CSV, XYZ ------------------------------------------------
# Atom names, types and charges, and the bond lines, of a MOL2 file (Open Babel numbers the
# substructure names afresh).
atom_fields() { awk '/^@<TRIPOS>/ { s = $0; next } s == "@<TRIPOS>ATOM" && NF >= 6 { print $2, $6, $9 }' "$1"; }
bond_lines() { awk '/^@<TRIPOS>/ { s = $0; next } s == "@<TRIPOS>BOND"' "$1"; }
# Largest difference between the bond lengths from the "!" records and from the MOL2 file.
bond_length_error() { # stdout mol2
  awk 'FNR == 1 { file++ }
       file == 1 && /^!/ { n++; x[n] = substr($0, 2, 16); y[n] = substr($0, 18, 16); z[n] = substr($0, 34, 16) }
       file == 2 && /^@<TRIPOS>/ { s = $0; next }
       file == 2 && s == "@<TRIPOS>ATOM" && NF >= 6 { m++; u[m] = $3; v[m] = $4; w[m] = $5 }
       file == 2 && s == "@<TRIPOS>BOND" && NF >= 4 {
         a = $2; b = $3
         d1 = sqrt((x[a]-x[b])^2 + (y[a]-y[b])^2 + (z[a]-z[b])^2)
         d2 = sqrt((u[a]-u[b])^2 + (v[a]-v[b])^2 + (w[a]-w[b])^2)
         e = d1 - d2; if (e < 0) e = -e; if (e > worst) worst = e; bonds++ }
       END { if (n != m || bonds == 0) print "mismatch"; else printf "%.3g\n", worst }' "$1" "$2"
}
for dir in runs/*/; do
  name=$(basename "$dir")
  "$bin/ffresult" --template "$dir/molecule.mol2" --geometry "$name.mol2" --csv "$name.csv" \
    --geometry "$name.xyz" "$dir/kelma/stdout" 2>>result.err
  expect_status 0 $? "ffresult $name"
  [ "$(atom_fields "$name.mol2")" = "$(atom_fields "prep/$name.mol2")" ] || fail "$name: atoms or types changed"
  [ "$(bond_lines "$name.mol2")" = "$(bond_lines "prep/$name.mol2")" ] || fail "$name: bonds changed"
  error=$(bond_length_error "$dir/kelma/stdout" "$name.mol2")
  # MOL2 keeps four decimals.
  awk -v e="$error" 'BEGIN { exit !(e != "mismatch" && e + 0 < 2e-4) }' || fail "$name: bond lengths off by $error"
  cycles=$(awk -F'\t' -v m="$name" '$1 == m && $3 == "kelma" { print $5 }' runs/status.tsv)
  [ "$(tail -n +2 "$name.csv" | wc -l)" = "$cycles" ] || fail "$name: CSV rows"
  [ "$(head -1 "$name.xyz")" = "$(grep -c '^!' "$dir/kelma/stdout")" ] || fail "$name: XYZ count"
done
[ "$(sed -n 3p benzene.xyz | cut -c1-2)" = "C " ] || fail "XYZ element symbols"
# Without a template the keyword input gives the elements.
"$bin/ffresult" --input runs/benzene/input runs/benzene/kelma/stdout >plain.xyz
[ "$(awk 'NR > 2 { print $1 }' plain.xyz | tr -d '\n')" = CCCCCCHHHHHH ] || fail "XYZ from the input"
"$bin/ffresult" --input runs/benzene/input runs/benzene/input >/dev/null 2>err.txt
[ $? = 1 ] && [ "$(wc -l <err.txt)" = 1 ] || fail "ffresult on a file that is not a run: $(cat err.txt)"

# --- resume: finished molecules are skipped ------------------------------------------------
echo marker >>runs/ethanol/kelma/stdout
rm runs/benzene/result.tsv
"$bin/ffbatch" -j 2 --resume -o runs prep >/dev/null 2>resume.err
expect_status 0 $? "ffbatch --resume"
grep -q "11 molecules already finished" resume.err || fail "resume: $(cat resume.err)"
tail -1 runs/ethanol/kelma/stdout | grep -q marker || fail "resume ran a finished molecule again"
[ -f runs/benzene/result.tsv ] || fail "resume did not run the unfinished molecule"
[ "$(wc -l <runs/status.tsv)" = 25 ] || fail "status.tsv after resume"

# --- a bad record among good ones ----------------------------------------------------------
# The first bond of propyne goes to an atom that does not exist: the record is refused (a reader
# would drop the bond and find hydrogens missing), and the molecules after it are read.
awk '/^propyne$/ { p = 1 } p && /^@<TRIPOS>BOND/ { print; getline; $3 = "99"; p = 0 } { print }' \
  "$molecules" >bad.mol2
"$bin/ffprep" -o badprep bad.mol2 >/dev/null 2>badprep.err
expect_status 1 $? "ffprep with a bad molecule"
[ "$(ls badprep/*.in | wc -l)" = 11 ] || fail "ffprep wrote $(ls badprep/*.in | wc -l) inputs, expected 11"
grep -q "^ffprep: bad.mol2 molecule 9: bond 1: atom 99 does not exist; skipped$" badprep.err ||
  fail "ffprep diagnostic: $(cat badprep.err)"
"$bin/ffbatch" -j 2 -o bad bad.mol2 >/dev/null 2>bad.err
expect_status 1 $? "ffbatch with a bad molecule"
[ "$(outcome bad/status.tsv propyne -)" = skipped ] || fail "bad molecule not reported as skipped"
[ "$(awk -F'\t' '$4 == "converged"' bad/status.tsv | wc -l)" = 11 ] || fail "the good molecules did not finish"
[ "$(awk -F'\t' '$4 == "converged" && $9 == "none" && $10 == "none"' bad/status.tsv | wc -l)" = 11 ] ||
  fail "the bundled molecules have terms without parameter or notes: $(cut -f1,9,10 bad/status.tsv)"
grep -q "propyne.*skipped\|molecule 9.*skipped" bad.err || fail "ffbatch diagnostic: $(cat bad.err)"
awk -F'\t' '$1 == "propyne" { print $11 }' bad/status.tsv | grep -q "^bond 1: atom 99 does not exist" ||
  fail "skipped molecule: no reason in status.tsv"

# --- the cycle limit is a failure the status names, and the molecule is not symmetrised --------
"$bin/ffbatch" -j 2 --nsteps 4 -o limit "$molecules" >/dev/null 2>limit.err
expect_status 1 $? "ffbatch at the cycle limit"
[ "$(outcome limit/status.tsv ethanol kelma)" = "cycle limit" ] || fail "cycle limit outcome"
awk -F'\t' '$1 == "ethanol" && $3 == "kelma" { print $11 }' limit/status.tsv |
  grep -q "^stopped at the cycle limit after cycle [0-9]*, with the RMS force at 0\.[0-9]* hartree/bohr and the energy changing by -0\.[0-9]* hartree" ||
  fail "cycle limit detail: $(cut -f11 limit/status.tsv | head -1)"
[ "$(outcome limit/status.tsv ethanol symmetry)" = "not symmetrised" ] || fail "cycle limit: symmetrised"
[ -e limit/ethanol/symmetry ] && fail "cycle limit: symmetry ran"

# --- Slurm: an array script, one molecule per task -------------------------------------------
"$bin/ffbatch" -j 3 --emit slurm --slurm-option --time=00:10:00 --slurm-option --mem=1G -o slurm prep \
  >/dev/null 2>slurm.err
expect_status 0 $? "ffbatch --emit slurm"
script=slurm/jobs.slurm
[ "$(head -1 $script)" = "#!/bin/bash" ] || fail "slurm: no shebang"
grep -qx "#SBATCH --array=1-12%3" $script || fail "slurm: array range"
grep -q "^#SBATCH --time=00:10:00$" $script && grep -q "^#SBATCH --mem=1G$" $script ||
  fail "slurm: --slurm-option lines"
grep -qx "#SBATCH --error=$PWD/slurm/tasks/%a/slurm.err" $script || fail "slurm: error file per task"
[ "$(ls slurm/tasks | wc -l)" = 12 ] || fail "slurm: task links"
bash -n $script || fail "slurm: script does not parse"
SLURM_ARRAY_TASK_ID=4 bash $script >/dev/null 2>&1
expect_status 0 $? "slurm task 4"
[ "$(cut -f1,4 slurm/tasks/4/result.tsv | head -1)" = "$(basename "$(readlink slurm/tasks/4)")	converged" ] ||
  fail "slurm task 4 result"
"$bin/ffbatch" --emit slurm --slurm-option 'time 10' -o slurm prep >/dev/null 2>&1
expect_status 2 $? "a --slurm-option that is not an option"

# --- GNU parallel: the job list runs as it stands ---------------------------------------------
if parallel --version 2>/dev/null | grep -q "GNU parallel"; then
  out="par dir's"  # a blank and a quote: the job lines must quote every path
  "$bin/ffbatch" --emit parallel -o "$out" prep >/dev/null 2>parallel.err
  expect_status 0 $? "ffbatch --emit parallel"
  [ "$(wc -l <"$out/jobs.txt")" = 12 ] || fail "parallel: job list"
  parallel --will-cite -j 2 <"$out/jobs.txt" >/dev/null 2>&1
  expect_status 0 $? "parallel"
  "$bin/ffbatch" --collect "$out" 2>/dev/null
  expect_status 0 $? "ffbatch --collect"
  [ "$(cut -f1-7 "$out/status.tsv")" = "$(cut -f1-7 runs/status.tsv)" ] || fail "parallel: status differs"
  "$bin/ffbatch" --emit parallel -o badpar bad.mol2 >/dev/null 2>&1
  expect_status 1 $? "ffbatch --emit parallel with a bad molecule"
  parallel --will-cite -j 2 <badpar/jobs.txt >/dev/null 2>&1
  expect_status 0 $? "parallel on the good molecules"
  "$bin/ffbatch" --collect badpar 2>/dev/null
  expect_status 1 $? "ffbatch --collect with a skipped molecule"
else
  echo "SKIP: GNU parallel is not installed (Debian package: parallel)"
fi

finish tool
