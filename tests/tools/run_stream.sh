#!/usr/bin/env bash
# ffbatch --stream against the folder per molecule on the bundled molecules: the same status
# lines, one SDF record per molecule with a geometry, shards of the asked size, and runs killed
# with SIGKILL at three moments then resumed that end as an uninterrupted run.
# Usage: run_stream.sh BUILD_DIR EXAMPLES_DIR
set -u
bin=$(realpath "${1:?usage: run_stream.sh BUILD_DIR EXAMPLES_DIR}")
examples=$(realpath "${2:?usage: run_stream.sh BUILD_DIR EXAMPLES_DIR}")
source "$(dirname "$0")/harness.sh"

# The status lines without the seconds column, which no two runs share.
lines() { cut -f1-7,9- "$1"; }
# The SDF without Open Babel's header line, which carries the time of writing.
records() { cat "$@" | grep -v '^ OpenBabel'; }

inputs=("$examples"/molecules.mol2 "$examples"/kelma/*.in)

# --- the same lines as the folder per molecule --------------------------------------------
"$bin/ffbatch" -j 2 -o folders "${inputs[@]}" >/dev/null 2>folders.err
expect_status 0 $? "ffbatch"
"$bin/ffbatch" --stream -j 2 -o stream "${inputs[@]}" >/dev/null 2>stream.err
expect_status 0 $? "ffbatch --stream"
[ "$(lines folders/status.tsv)" = "$(lines stream/status.tsv)" ] ||
  fail "streamed status differs: $(diff <(lines folders/status.tsv) <(lines stream/status.tsv) | head -3)"
[ "$(ls stream | tr '\n' ' ')" = "ffbatch.lock shard-000001.sdf shard-000001.tsv status.tsv " ] ||
  fail "streamed files: $(ls stream | tr '\n' ' ')"
molecules=$(grep -c '^\$\$\$\$' stream/shard-000001.sdf)
[ "$molecules" = 18 ] || fail "$molecules SDF records, expected 18"
energy=$(awk -F'\t' '$1 == "benzene" && $3 == "kelma" { print $6 }' stream/status.tsv)
grep -A1 '<energy_hartree>' stream/shard-000001.sdf | grep -qx "$energy" ||
  fail "benzene's energy field is not its status energy $energy"

# --- shards --------------------------------------------------------------------------------
"$bin/ffbatch" --stream --shard-size 5 --keep-records -o shards "${inputs[@]}" >/dev/null 2>&1
[ "$(ls shards/*.sdf | wc -l) $(ls shards/*.tsv | wc -l) $(ls shards/*.records | wc -l)" = "4 5 4" ] ||
  fail "shards: $(ls shards | tr '\n' ' ')"
# Names are made unique within a shard (a shard stands alone): benzene of the keyword inputs is
# benzene_2 in one shard and benzene in its own.
[ "$(lines shards/status.tsv | cut -f2-)" = "$(lines stream/status.tsv | cut -f2-)" ] ||
  fail "sharded status differs"
[ "$(records shards/shard-00000?.sdf)" = "$(records stream/shard-000001.sdf)" ] ||
  fail "sharded SDF differs"
grep -q '^#### kelma standard output' shards/shard-000001.records || fail "no records kept"

# --- killed at three moments, then resumed --------------------------------------------------
# 4,800 molecules: a few seconds of work, long enough to be killed at each moment.
for k in $(seq 400); do cat "$examples"/molecules.mol2; done >library.mol2
"$bin/ffbatch" --stream -j 2 --shard-size 500 -o whole library.mol2 >/dev/null 2>&1
for moment in 0.3 1 2; do
  rm -rf resumed
  "$bin/ffbatch" --stream -j 2 --shard-size 500 -o resumed library.mol2 >/dev/null 2>&1 &
  sleep "$moment"
  kill -9 $! 2>/dev/null || fail "the run ended before $moment s: nothing was interrupted"
  wait $! 2>/dev/null
  "$bin/ffbatch" --stream -j 2 --shard-size 500 --resume -o resumed library.mol2 >/dev/null 2>&1
  [ "$(lines resumed/status.tsv)" = "$(lines whole/status.tsv)" ] ||
    fail "killed after $moment s and resumed: status differs"
  [ "$(records resumed/*.sdf)" = "$(records whole/*.sdf)" ] ||
    fail "killed after $moment s and resumed: SDF differs"
  ls resumed | grep -q 'part\|progress' && fail "killed after $moment s: part files left"
done

# Killed while it named a finished shard's files: one named, one still a part, the progress left.
cp -r whole named
rm named/status.tsv named/ffbatch.lock
mv named/shard-000002.tsv named/shard-000002.tsv.part
echo "500 $(stat -c%s named/shard-000002.sdf) $(stat -c%s named/shard-000002.tsv.part) 0" \
  >named/shard-000002.progress
"$bin/ffbatch" --stream -j 2 --shard-size 500 --resume -o named library.mol2 >/dev/null 2>&1
[ "$(lines named/status.tsv)" = "$(lines whole/status.tsv)" ] &&
  [ "$(records named/*.sdf)" = "$(records whole/*.sdf)" ] ||
  fail "a shard killed while its files were named did not resume whole"

finish "stream"
