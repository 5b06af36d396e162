#!/usr/bin/env bash
# ffreport on the examples batch (the bundled molecules and water): the page checked in headless
# Chromium (report_browser.js; screenshots in OUTPUT_DIR), then a copy of the batch with missing
# and damaged files, whose report must name each of them.
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
node "$script" "$output/runs/report.html" "$molecules" "$output" || fail "the page in Chromium"
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

finish report
