#!/usr/bin/env bash
# Fault tests of ffbatch: a batch killed (SIGKILL) at three moments and then resumed, a full
# disk, a program that hangs, and two runs on one output folder.
# Usage: run_faults.sh BUILD_DIR MOLECULES_MOL2 (BUILD_DIR holds ffprep, ffbatch, kelma and
# symmetry side by side). The full disk is a small tmpfs it mounts, so it needs root; without
# root it is skipped with a note, except under CI=true, where that is a failure.
set -u
bin=$(realpath "${1:?usage: run_faults.sh BUILD_DIR MOLECULES_MOL2}")
molecules=$(realpath "${2:?usage: run_faults.sh BUILD_DIR MOLECULES_MOL2}")
source "$(dirname "$0")/harness.sh"
trap 'mountpoint -q "$work/tiny" && umount "$work/tiny"; rm -rf "$work"' EXIT

"$bin/ffprep" -o prep "$molecules" >/dev/null 2>&1
"$bin/ffbatch" -j 2 -o reference prep >/dev/null 2>&1
expect_status 0 $? "the uninterrupted batch"
# status.tsv without the seconds column, which no two runs share.
figures() { cut -f1-7,9- "$1/status.tsv"; }
# Folders in which some process still works.
busy_in() { for p in /proc/[0-9]*; do readlink "$p/cwd"; done 2>/dev/null | grep -c "^$work/$1/"; }

# Stand-ins that mark, in marks/, which molecule and program they start and become the program;
# the one named in marks/stop-at stops itself first, so that the batch is held at that moment.
mkdir stand-in marks
for program in kelma symmetry; do
  cat >stand-in/$program <<STAND_IN
#!/bin/bash
moment=\$(basename "\$(dirname "\$PWD")")-$program
touch "$work/marks/\$moment"
[ "\$moment" = "\$(cat "$work/marks/stop-at")" ] && kill -STOP \$\$
exec "$bin/$program"
STAND_IN
done
printf '#!/bin/sh\nexec sleep 60\n' >stand-in/hang
chmod +x stand-in/*

# --- SIGKILL at the first step, in the middle and at the last, then --resume -------------------
for moment in N-methylacetamide-kelma ethanol-symmetry pyridine-symmetry; do
  rm -f marks/*
  echo "$moment" >marks/stop-at
  "$bin/ffbatch" -j 2 --kelma stand-in/kelma --symmetry stand-in/symmetry -o "$moment" prep \
    >/dev/null 2>&1 &
  batch=$!
  until [ -e "marks/$moment" ] || ! kill -0 $batch 2>/dev/null; do sleep 0.01; done
  { kill -9 $batch; wait $batch; } 2>/dev/null
  [ -e "marks/$moment" ] || fail "$moment: the batch ended before that moment"
  [ -e "$moment/status.tsv" ] && fail "$moment: a killed batch left status.tsv"
  sleep 0.2 # the programs die with the batch, as soon as the kernel gets to them
  [ "$(busy_in "$moment")" = 0 ] || fail "$moment: programs still run after the batch was killed"
  "$bin/ffbatch" -j 2 --resume -o "$moment" prep >/dev/null 2>"$moment.err"
  expect_status 0 $? "$moment: --resume"
  [ "$(figures "$moment")" = "$(figures reference)" ] ||
    fail "$moment: status.tsv after --resume differs: $(diff <(figures "$moment") <(figures reference))"
done

# --- a program that hangs is killed at --timeout ----------------------------------------------
"$bin/ffbatch" -p kelma --kelma stand-in/hang --timeout 1 -o hang prep/ethanol.in >/dev/null 2>&1
expect_status 1 $? "a hanging program"
[ "$(outcome hang/status.tsv ethanol kelma)" = timeout ] || fail "timeout: $(cat hang/status.tsv)"
awk -F'\t' '$3 == "kelma" { print $11 }' hang/status.tsv | grep -q "^killed after 1\.[0-9]* s, the --timeout of 1 s$" ||
  fail "timeout detail: $(cut -f11 hang/status.tsv)"

# --- one folder, one run: a second ffbatch (or --collect) is turned away -----------------------
"$bin/ffbatch" -p kelma --kelma stand-in/hang --timeout 20 -o locked prep/ethanol.in >/dev/null 2>&1 &
holder=$!
until [ -e locked/ethanol/kelma/stdout ]; do sleep 0.01; done
"$bin/ffbatch" -o locked prep/ethanol.in >/dev/null 2>locked.err
expect_status 2 $? "a second run on a folder in use"
[ "$(cat locked.err)" = "ffbatch: locked is in use by another ffbatch run (process $holder)" ] ||
  fail "lock message: $(cat locked.err)"
"$bin/ffbatch" --collect locked >/dev/null 2>&1
expect_status 2 $? "--collect on a folder in use"
{ kill -9 $holder; wait $holder; } 2>/dev/null
"$bin/ffbatch" -o locked prep/ethanol.in >/dev/null 2>&1
expect_status 0 $? "the folder after its holder was killed"

# --- a full disk: one line, nothing half written taken as finished, then --resume ----------------
if [ "$(id -u)" = 0 ] && mkdir tiny && mount -t tmpfs -o size=256k tmpfs tiny; then
  "$bin/ffbatch" -j 2 -o tiny/runs prep >/dev/null 2>full.err
  expect_status 2 $? "a batch on a full disk"
  [ "$(wc -l <full.err)" = 1 ] && grep -q "no space left\|No space left" full.err ||
    fail "full disk report: $(cat full.err)"
  [ -e tiny/runs/status.tsv ] && fail "full disk: status.tsv written"
  for result in tiny/runs/*/result.tsv; do
    [ -e "$result" ] || continue
    name=$(basename "$(dirname "$result")")
    [ "$(cut -f1-7,9- "$result")" = "$(awk -F'\t' -v m="$name" '$1 == m' reference/status.tsv | cut -f1-7,9-)" ] ||
      fail "full disk: $name has a result that differs"
  done
  mount -o remount,size=8m tiny
  "$bin/ffbatch" -j 2 --resume -o tiny/runs prep >/dev/null 2>&1
  expect_status 0 $? "--resume once there is room"
  [ "$(figures tiny/runs)" = "$(figures reference)" ] || fail "full disk: status.tsv after --resume"
elif [ "${CI:-}" = true ]; then
  fail "full disk: cannot mount a small tmpfs (CI runs as root)"
else
  echo "SKIP: the full-disk test mounts a tmpfs, which needs root"
fi

finish fault
