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
# The SDF records, byte for byte: their header lines carry no time of writing.
records() { cat "$@"; }

inputs=("$examples"/molecules.mol2 "$examples"/kelma/*.in)

# --- the same lines as the folder per molecule --------------------------------------------
"$bin/ffbatch" -j 2 -o folders "${inputs[@]}" >/dev/null 2>folders.err
expect_status 0 $? "ffbatch"
"$bin/ffbatch" --stream -j 2 -o stream "${inputs[@]}" >/dev/null 2>stream.err
expect_status 0 $? "ffbatch --stream"
[ "$(lines folders/status.tsv)" = "$(lines stream/status.tsv)" ] ||
  fail "streamed status differs: $(diff <(lines folders/status.tsv) <(lines stream/status.tsv) | head -3)"
[ "$(ls stream | tr '\n' ' ')" = "ffbatch.lock shard-000001.sdf shard-000001.tsv status.tsv stream.shards " ] ||
  fail "streamed files: $(ls stream | tr '\n' ' ')"
molecules=$(grep -c '^\$\$\$\$' stream/shard-000001.sdf)
[ "$molecules" = 18 ] || fail "$molecules SDF records, expected 18"
[ "$(sed -n 2p stream/shard-000001.sdf)" = " OpenBabel          3D" ] ||
  fail "the SDF header line carries a time: $(sed -n 2p stream/shard-000001.sdf)"
energy=$(awk -F'\t' '$1 == "benzene" && $3 == "kelma" { print $6 }' stream/status.tsv)
grep -A1 '<energy_hartree>' stream/shard-000001.sdf | grep -qx "$energy" ||
  fail "benzene's energy field is not its status energy $energy"

# Tasks of whole shards for GNU parallel; --collect gathers them as a local run's table, and
# says which shard did not finish.
"$bin/ffbatch" --stream --shard-size 5 --emit parallel -o tasks "${inputs[@]}" >/dev/null 2>&1
[ "$(wc -l <tasks/jobs.txt)" = 4 ] || fail "$(wc -l <tasks/jobs.txt) parallel tasks, expected 4"
parallel -j 2 <tasks/jobs.txt >/dev/null 2>&1
"$bin/ffbatch" --collect tasks --sdf tasks/all.sdf >/dev/null 2>&1
expect_status 0 $? "ffbatch --collect of the streamed tasks"
[ "$(lines tasks/status.tsv | cut -f2-)" = "$(lines stream/status.tsv | cut -f2-)" ] ||
  fail "the tasks' status differs"
cmp -s tasks/all.sdf stream/shard-000001.sdf || fail "the tasks' gathered SDF differs"
rm tasks/shard-000002.tsv
"$bin/ffbatch" --collect tasks >/dev/null 2>&1
expect_status 1 $? "ffbatch --collect with a shard missing"
[ "$(outcome tasks/status.tsv shard-000002 -)" = "not run" ] || fail "the missing shard's line"

# A gzipped library reads as the plain one.
gzip -c "$examples"/molecules.mol2 >molecules.mol2.gz
"$bin/ffbatch" --stream -o plain "$examples"/molecules.mol2 >/dev/null 2>&1
"$bin/ffbatch" --stream -o gzipped molecules.mol2.gz >/dev/null 2>&1
[ "$(lines gzipped/status.tsv)" = "$(lines plain/status.tsv)" ] &&
  [ "$(records gzipped/*.sdf)" = "$(records plain/*.sdf)" ] || fail "the gzipped library differs"

# --- shards --------------------------------------------------------------------------------
"$bin/ffbatch" --stream --shard-size 5 --keep-records --symmetrised -o shards "${inputs[@]}" \
  >/dev/null 2>&1
[ "$(ls shards/shard-??????.sdf | wc -l) $(ls shards/*.tsv | wc -l) $(ls shards/*.records.gz | wc -l)" = "4 5 4" ] ||
  fail "shards: $(ls shards | tr '\n' ' ')"
# Names are made unique within a shard (a shard stands alone): benzene of the keyword inputs is
# benzene_2 in one shard and benzene in its own.
[ "$(lines shards/status.tsv | cut -f2-)" = "$(lines stream/status.tsv | cut -f2-)" ] ||
  fail "sharded status differs"
[ "$(records shards/shard-00000?.sdf)" = "$(records stream/shard-000001.sdf)" ] ||
  fail "sharded SDF differs"
zcat shards/shard-000001.records.gz | grep -q '^#### kelma standard output' || fail "no records kept"
# The symmetrised molecules: one for each molecule symmetry named a group of.
[ "$(cat shards/*.symmetrised.sdf | grep -c '^\$\$\$\$')" = "$(grep -c 'point group' stream/status.tsv)" ] ||
  fail "symmetrised molecules: $(cat shards/*.symmetrised.sdf | grep -c '^\$\$\$\$')"

# --- killed at three moments, then resumed --------------------------------------------------
# 4,800 molecules: a few seconds of work, long enough to be killed at each moment.
for _ in $(seq 400); do cat "$examples"/molecules.mol2; done >library.mol2
# On a terminal the progress line says of how many, once a child process has counted them.
# The records and symmetrised molecules are cut back with the rest.
kept=(--keep-records --symmetrised)
script -qec "'$bin/ffbatch' --stream -j 2 --shard-size 500 ${kept[*]} -o whole library.mol2" \
  /dev/null >terminal.log 2>&1
expect_status 0 $? "ffbatch --stream on a terminal"
grep -q "/4800 molecules done" terminal.log || fail "no total in the progress: $(tail -c 300 terminal.log)"
for moment in 0.2 0.6 1.2; do
  rm -rf resumed
  "$bin/ffbatch" --stream -j 2 --shard-size 500 "${kept[@]}" -o resumed library.mol2 >/dev/null 2>&1 &
  sleep "$moment"
  kill -9 $! 2>/dev/null || fail "the run ended before $moment s: nothing was interrupted"
  wait $! 2>/dev/null
  "$bin/ffbatch" --stream -j 2 --shard-size 500 "${kept[@]}" --resume -o resumed library.mol2 \
    >/dev/null 2>&1
  [ "$(lines resumed/status.tsv)" = "$(lines whole/status.tsv)" ] ||
    fail "killed after $moment s and resumed: status differs"
  [ "$(records resumed/*.sdf)" = "$(records whole/*.sdf)" ] ||
    fail "killed after $moment s and resumed: SDF differs"
  zcat resumed/*.records.gz | cmp -s - <(zcat whole/*.records.gz) ||
    fail "killed after $moment s and resumed: records differ"
  compgen -G 'resumed/*part*' >/dev/null || compgen -G 'resumed/*progress*' >/dev/null && fail "killed after $moment s: part files left"
done

# Killed while it named a finished shard's files: one named, one still a part, the progress left.
cp -r whole named
rm named/status.tsv named/ffbatch.lock
mv named/shard-000002.tsv named/shard-000002.tsv.part
sizes() { for f in "$@"; do stat -c%s "$f"; done | tr '\n' ' '; }
echo "500 $(sizes named/shard-000002.{sdf,tsv.part,records.gz,symmetrised.sdf})" \
  >named/shard-000002.progress
"$bin/ffbatch" --stream -j 2 --shard-size 500 "${kept[@]}" --resume -o named library.mol2 \
  >/dev/null 2>&1
[ "$(lines named/status.tsv)" = "$(lines whole/status.tsv)" ] &&
  [ "$(records named/*.sdf)" = "$(records whole/*.sdf)" ] ||
  fail "a shard killed while its files were named did not resume whole"

# A molecule that keeps its worker busy for many seconds (the finite-difference Hessian of a
# 302-atom alkane, then a tight $gtol): its worker is killed from outside (SIGKILL, as the kernel
# kills a process out of memory: a stand-in for a reader or program that crashes), then in a
# second run it passes --timeout. Either way it is
# reported and the molecules after it run.
python3 - >long.in <<'PY'
import math
n = 100
print("$natoms", 3 * n + 2)
for key, value in [("thrsym", "0.01"), ("fftype", "Tripos 5.2"), ("jobtype", "1"), ("vdwc", "8.0"),
                   ("print", "0"), ("gtol", "1.0e-9"), ("etol", "1.0e-12"), ("nsteps", "9998")]:
    print(f"${key} {value}")
print("$coordinates")
atoms, bonds = [], []
for i in range(n):
    atoms.append((1.26 * i, 0.89 * (i % 2), 0.0, "C", 1))
    if i:
        bonds.append((i, i + 1))
for i in range(n):
    x, y, _, _, _ = atoms[i]
    side = -1.0 if i % 2 == 0 else 1.0
    for z in (0.89, -0.89):
        atoms.append((x, y + 0.51 * side, z, "H", 13))
        bonds.append((i + 1, len(atoms)))
for end, dx in ((1, -1.0), (n, 1.0)):
    x, y, _, _, _ = atoms[end - 1]
    atoms.append((x + dx, y + 0.4, 0.0, "H", 13))
    bonds.append((end, len(atoms)))
for x, y, z, element, code in atoms:
    print(f"{x:16.10f}{y:16.10f}{z:16.10f}     {element} {code:3d}")
print("$connectivity")
for i, j in bonds:
    print(i, j, 1)
print("$end")
PY
"$bin/ffbatch" --stream -j 1 -o crashed long.in "$examples"/molecules.mol2 >/dev/null 2>&1 &
sleep 1
pkill -KILL -P $! || fail "no worker to kill"
wait $!
expect_status 1 $? "ffbatch --stream with a crashed worker"
[ "$(outcome crashed/status.tsv long -)" = "failed: crashed (signal 9, Killed)" ] ||
  fail "crashed worker: $(outcome crashed/status.tsv long -)"
[ "$(grep -c $'\tconverged\t' crashed/status.tsv)" = 12 ] || fail "the molecules after a crash"
"$bin/ffbatch" --stream -j 2 --timeout 1 -o late "$examples"/molecules.mol2 long.in \
  "$examples"/kelma/*.in >/dev/null 2>&1
[ "$(outcome late/status.tsv long -)" = timeout ] || fail "hang: $(outcome late/status.tsv long -)"
[ "$(grep -c $'\tconverged\t' late/status.tsv)" = 18 ] || fail "the molecules beside a hang"

finish "stream"
