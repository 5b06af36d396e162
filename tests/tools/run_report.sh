#!/usr/bin/env bash
# ffreport on the examples batch (the bundled molecules and water): the page checked in headless
# Chromium (report_browser.js; screenshots in OUTPUT_DIR), then a copy of the batch with missing
# and damaged files, whose report must name each of them. Then a streamed batch of more molecules
# than a page holds (the examples nine times, in shards that repeat names, with water and
# bromomethane, whose C-Br bond has no parameter), checked in Chromium too.
# Usage: run_report.sh BUILD_DIR EXAMPLES_DIR OUTPUT_DIR (NODE_PATH finds playwright-core).
set -u
bin=$(realpath "${1:?usage: run_report.sh BUILD_DIR EXAMPLES_DIR OUTPUT_DIR}")
examples=$(realpath "${2:?usage: run_report.sh BUILD_DIR EXAMPLES_DIR OUTPUT_DIR}")
output=$(realpath -m "${3:?usage: run_report.sh BUILD_DIR EXAMPLES_DIR OUTPUT_DIR}")
script=$(realpath "$(dirname "$0")/report_browser.js")
source "$(dirname "$0")/harness.sh"
rm -rf "$output" && mkdir -p "$output"

"$bin/ffbatch" -j 2 -o "$output/runs" "$examples/molecules.mol2" "$examples/water.xyz" 2>/dev/null
expect_status 0 $? "ffbatch on the examples"
"$bin/ffreport" "$output/runs" 2>report.err
expect_status 0 $? "ffreport"
molecules=$(tail -n +2 "$output/runs/status.tsv" | cut -f1 | sort -u | wc -l)
node "$script" "$output/runs/report.html" "$molecules" "$output" folder ||
  fail "the page in Chromium"
for shot in report benzene water; do
  [ -s "$output/$shot.png" ] || fail "no screenshot $shot.png"
done

# --- missing and damaged files: said in the page, never a failure of the whole report ---------
cp -r "$output/runs" damaged
rm damaged/ethanol/input
echo "**  damaged" >damaged/acetone/kelma/stdout
rm damaged/propyne/kelma/stdout
"$bin/ffreport" damaged 2>damaged.err
expect_status 0 $? "ffreport with damaged files"
for expected in "input is missing" "kelma/stdout is damaged: line 1" "kelma/stdout is missing"; do
  grep -qF "$expected" damaged/report.html || fail "the page does not say: $expected"
done
grep -q "3 with missing or damaged files" damaged.err || fail "ffreport: $(cat damaged.err)"
rm damaged/status.tsv
"$bin/ffreport" damaged 2>nostatus.err
expect_status 1 $? "ffreport without status.tsv"
grep -q "status.tsv: no such file" nostatus.err || fail "without status.tsv: $(cat nostatus.err)"

# --- a streamed batch -----------------------------------------------------------------------
cat >bromomethane.xyz <<'EOF'
5
bromomethane
C    0.0000    0.0000    0.0000
Br   0.0000    0.0000    1.9340
H    1.0267    0.0000   -0.3630
H   -0.5134    0.8892   -0.3630
H   -0.5134   -0.8892   -0.3630
EOF
inputs=()
for _ in 1 2 3 4 5 6 7 8 9; do inputs+=("$examples/molecules.mol2"); done
"$bin/ffbatch" --stream --shard-size 25 -j 2 -o "$output/stream" "${inputs[@]}" \
  "$examples/water.xyz" bromomethane.xyz 2>/dev/null
expect_status 0 $? "ffbatch --stream"
"$bin/ffreport" "$output/stream" 2>stream.err
expect_status 0 $? "ffreport on a streamed batch"
grep -q "110 molecules of a streamed batch, 2 with problems in status.tsv, 0 with missing" \
  stream.err || fail "ffreport on a streamed batch: $(cat stream.err)"
mkdir -p "$output/streamed"
node "$script" "$output/stream/report.html" 110 "$output/streamed" streamed ||
  fail "the streamed batch's page in Chromium"

finish report
