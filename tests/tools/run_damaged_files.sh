#!/usr/bin/env bash
# The catalogue of damaged chemistry files (damaged_files.py writes it): in every file one
# molecule is damaged or too large. ffprep, ffbatch and the Python package's read_file must each
# refuse that molecule by its number, with the reason, and take every other one; ffbatch's
# status.tsv must read back, through --collect and --resume.
# Usage: run_damaged_files.sh BUILD_DIR EXAMPLES_DIR [PYTHON_PACKAGE_DIR]
set -u
bin=$(realpath "${1:?usage: run_damaged_files.sh BUILD_DIR EXAMPLES_DIR [PYTHON_PACKAGE_DIR]}")
examples=$(realpath "${2:?usage: run_damaged_files.sh BUILD_DIR EXAMPLES_DIR}")
package=${3:+$(realpath "$3")}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/harness.sh"

# A run that ends later than this is a hang (the inputs are a few molecules each).
limit=60
python3 "$here/damaged_files.py" "$examples" files || exit 1

# The lines of status.tsv with this outcome.
count_outcome() { awk -F'\t' -v o="$2" 'NR > 1 && $4 == o' "$1" | wc -l; }

while IFS=$'\t' read -r file damaged total reason; do
  good=$((total - 1))
  timeout $limit "$bin/ffprep" -o "prep/$file" "files/$file" >/dev/null 2>prep.err
  expect_status 1 $? "ffprep $file"
  [ "$(ls "prep/$file"/*.in 2>/dev/null | wc -l)" = "$good" ] ||
    fail "ffprep $file: $(ls "prep/$file"/*.in 2>/dev/null | wc -l) inputs, expected $good"
  refusal=$(grep "; skipped$" prep.err)
  [ "$(grep -c "; skipped$" prep.err)" = 1 ] && grep -q "^ffprep: $file molecule $damaged: " <<<"$refusal" &&
    grep -qF -- "$reason" <<<"$refusal" || fail "ffprep $file: refusal '$refusal', expected molecule $damaged: $reason"

  out="batch/$file"
  timeout $limit "$bin/ffbatch" -p kelma -o "$out" "files/$file" >/dev/null 2>/dev/null
  expect_status 1 $? "ffbatch $file"
  [ "$(count_outcome "$out/status.tsv" skipped)" = 1 ] && [ "$(count_outcome "$out/status.tsv" converged)" = "$good" ] ||
    fail "ffbatch $file: $(cut -f1,4 "$out/status.tsv" 2>/dev/null | tr '\n' ' ')"
  awk -F'\t' 'NF != 11 { exit 1 }' "$out/status.tsv" || fail "ffbatch $file: a status line without 11 fields"
  cp "$out/status.tsv" status.before
  "$bin/ffbatch" --collect "$out" >/dev/null 2>&1
  expect_status 1 $? "ffbatch --collect $file"
  cmp -s status.before "$out/status.tsv" || fail "ffbatch --collect $file: another status.tsv"
  timeout $limit "$bin/ffbatch" -p kelma --resume -o "$out" "files/$file" >/dev/null 2>resume.err
  expect_status 1 $? "ffbatch --resume $file"
  # SMILES are built in 3D afresh on every run, so their molecules run again.
  [ "${file##*.}" = smi ] || grep -q "resuming: $total molecules already finished" resume.err ||
    fail "ffbatch --resume $file: $(grep resuming resume.err)"
done <files/expected.tsv

# A result.tsv damaged by hand (or by an older version) costs only its molecule: --collect names
# it, --resume runs its step again.
out=batch/sdf_truncated.sdf
printf 'ethanol\t9\tkelma\tconverged\textra\n' >"$out/ethanol/result.tsv"
"$bin/ffbatch" --collect "$out" >/dev/null 2>&1
expect_status 1 $? "ffbatch --collect with a damaged result.tsv"
awk -F'\t' '$1 == "ethanol" { print $4 ": " $11 }' "$out/status.tsv" | grep -q "^not run: damaged status line" ||
  fail "a damaged result.tsv: $(grep ethanol "$out/status.tsv")"
"$bin/ffbatch" -p kelma --resume -o "$out" files/sdf_truncated.sdf >/dev/null 2>&1
[ "$(outcome "$out/status.tsv" ethanol kelma)" = converged ] || fail "--resume did not run the damaged step again"

# read_file gives every molecule of the file, the damaged one as an error entry, no NaN.
if [ -n "$package" ]; then
  PYTHONPATH=$package "${PYTHON:-/usr/bin/python3}" - files <<'EOF' || fail "read_file on the catalogue"
import math, sys
from pathlib import Path
from kelma_symmetry import _core

folder = Path(sys.argv[1])
bad = 0
for row in (folder / "expected.tsv").read_text().splitlines():
    name, damaged, total, reason = row.split("\t")
    molecules = _core.read_file(str(folder / name), "", None, False)
    errors = [m["index"] for m in molecules if m["error"]]
    finite = all(math.isfinite(c) for m in molecules if not m["error"] for c in m["coordinates"].flat)
    if len(molecules) != int(total) or errors != [int(damaged)] or not finite or \
            reason not in molecules[int(damaged) - 1]["error"]:
        print(f"FAIL: read_file {name}: {len(molecules)} molecules, errors at {errors}")
        bad += 1
sys.exit(1 if bad else 0)
EOF
fi

finish "damaged-file"
