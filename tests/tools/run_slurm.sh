#!/usr/bin/env bash
# ffbatch's Slurm array script under a real Slurm: munged, slurmctld and slurmd on this machine
# (one node, as `slurmd -C` describes it), started here and stopped at the end on every path.
# The array runs the bundled molecules; --collect must give the status.tsv of a local run. A
# streamed library of 2,004 molecules is cut into a chunked array that keeps within the
# MaxArraySize of 100 this Slurm is configured with.
# Usage: run_slurm.sh BUILD_DIR MOLECULES_MOL2. Needs root; without root, or without Slurm
# outside CI, it is skipped with a note. Under CI=true it installs slurm-wlm and munge when they
# are missing, and a skip is a failure.
set -u
bin=$(realpath "${1:?usage: run_slurm.sh BUILD_DIR MOLECULES_MOL2}")
molecules=$(realpath "${2:?usage: run_slurm.sh BUILD_DIR MOLECULES_MOL2}")
source "$(dirname "$0")/harness.sh"
readonly wait_seconds=450

skip() {
  if [ "${CI:-}" = true ]; then
    echo "FAIL: $* (under CI the Slurm test must run)"
    exit 1
  fi
  echo "SKIP: $*"
  exit 0
}
[ "$(id -u)" = 0 ] || skip "the Slurm test starts slurmctld and slurmd, which needs root"
if ! command -v slurmd >/dev/null || ! command -v munged >/dev/null; then
  [ "${CI:-}" = true ] || skip "Slurm is not installed (Debian packages slurm-wlm and munge)"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq slurm-wlm munge >/dev/null ||
    skip "cannot install slurm-wlm and munge"
fi

# The daemons, stopped by their process ids whatever happens.
daemons=()
stop_daemons() {
  [ ${#daemons[@]} -gt 0 ] && kill "${daemons[@]}" 2>/dev/null
  for pid in "${daemons[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
}
trap 'stop_daemons; rm -rf "$work"' EXIT

# munged runs as the munge user, with its key, socket and logs in a folder of its own.
# The munge user must reach its folder.
chmod 755 "$work"
mkdir -p munge socket slurm/state slurm/spool
chown munge: munge socket
chmod 700 munge
chmod 755 socket
setpriv --reuid munge --regid munge --init-groups mungekey --create --keyfile munge/munge.key
setpriv --reuid munge --regid munge --init-groups /usr/sbin/munged --foreground \
  --key-file munge/munge.key --socket "$work/socket/munge.socket" --pid-file munge/munged.pid \
  --log-file munge/munged.log --seed-file munge/munged.seed 2>munge/stderr &
daemons+=($!)

# Ports apart from any other Slurm on the machine.
port=$((20000 + RANDOM % 20000))
node=$(slurmd -C | head -1)
host=$(hostname -s)
cat >slurm/slurm.conf <<CONF
ClusterName=ffbatch-test
SlurmctldHost=$host
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
AuthType=auth/munge
AuthInfo=socket=$work/socket/munge.socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
ReturnToService=2
StateSaveLocation=$work/slurm/state
SlurmdSpoolDir=$work/slurm/spool
SlurmctldPidFile=$work/slurm/slurmctld.pid
SlurmdPidFile=$work/slurm/slurmd.pid
SlurmctldLogFile=$work/slurm/slurmctld.log
SlurmdLogFile=$work/slurm/slurmd.log
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
$node
PartitionName=test Nodes=ALL Default=YES MaxTime=INFINITE State=UP
MaxArraySize=100
CONF
export SLURM_CONF=$work/slurm/slurm.conf
for _ in $(seq 50); do [ -S socket/munge.socket ] && break; sleep 0.1; done
[ -S socket/munge.socket ] || { fail "munged did not start: $(cat munge/stderr munge/munged.log 2>/dev/null)"; finish slurm; }
/usr/sbin/slurmctld -D -i -f "$SLURM_CONF" >slurm/slurmctld.out 2>&1 &
daemons+=($!)
/usr/sbin/slurmd -D -f "$SLURM_CONF" >slurm/slurmd.out 2>&1 &
daemons+=($!)
for _ in $(seq 100); do sinfo -h -o %T 2>/dev/null | grep -qx idle && break; sleep 0.2; done
sinfo -h -o %T 2>/dev/null | grep -qx idle ||
  { fail "the Slurm node did not come up: $(tail -5 slurm/slurmctld.log slurm/slurmd.log 2>&1)"; finish slurm; }

# Submits the array a folder's jobs.slurm holds, waits for it, collects it and compares its
# status.tsv with the local run's (but for the seconds).
array_matches() { # FOLDER LOCAL_FOLDER WHAT
  timeout $wait_seconds sbatch --wait --quiet "$1/jobs.slurm" >sbatch.out 2>&1
  expect_status 0 $? "$3 ($(cat sbatch.out))"
  "$bin/ffbatch" --collect "$1" >/dev/null 2>&1
  expect_status 0 $? "ffbatch --collect of $3"
  [ "$(cut -f1-7,9- "$1"/status.tsv)" = "$(cut -f1-7,9- "$2"/status.tsv)" ] ||
    fail "$3: status.tsv differs from the local run's: $(diff "$1"/status.tsv "$2"/status.tsv | head -3)"
}

# The same molecules locally and as an array, with a time limit and memory set by --slurm-option.
"$bin/ffprep" -o prep "$molecules" >/dev/null 2>&1
"$bin/ffbatch" -j 2 -o local prep >/dev/null 2>&1
expect_status 0 $? "the local batch"
"$bin/ffbatch" --emit slurm --slurm-option --time=00:10:00 --slurm-option --mem=100M -o array prep \
  >/dev/null 2>&1
expect_status 0 $? "ffbatch --emit slurm"
array_matches array local "the Slurm array"
for task in array/tasks/*; do
  [ -e "$task/slurm.out" ] && [ -e "$task/slurm.err" ] || fail "task $(basename "$task"): no slurm.out or slurm.err in its folder"
done

# A streamed library as a chunked array: 201 shards of 10, at most 99 tasks, so 3 shards a task.
for _ in $(seq 167); do cat "$molecules"; done >library.mol2
"$bin/ffbatch" --stream -j 2 --shard-size 10 -o streamed library.mol2 >/dev/null 2>&1
expect_status 0 $? "the local streamed batch"
"$bin/ffbatch" --stream --shard-size 10 --emit slurm -o chunked library.mol2 >/dev/null 2>&1
expect_status 0 $? "ffbatch --stream --emit slurm"
grep -q '^#SBATCH --array=1-67$' chunked/jobs.slurm ||
  fail "the chunked array: $(grep -- --array chunked/jobs.slurm)"
array_matches chunked streamed "the chunked Slurm array"
[ "$(ls chunked/shard-*.sdf | wc -l)" = 201 ] || fail "$(ls chunked/shard-*.sdf | wc -l) SDF shards"

finish slurm
