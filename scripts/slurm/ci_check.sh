#!/usr/bin/env bash
# A one-node Slurm cluster on this machine plays a sharded match through run_match.sh, and the
# merged result must be the same games as the match played here without Slurm.
#
# usage: scripts/slurm/ci_check.sh BUILD_DIR
# BUILD_DIR holds zarvo and the tests' scripted engine (match_scripted_engine), whose games are
# decided by the board alone, so the two runs must agree move for move. Runs as root on Debian 12
# (installs slurm-wlm and munge when missing), with or without systemd: munged, slurmctld and
# slurmd are started directly, on a socket and ports of their own, and stopped at the end.
set -euo pipefail

build=$(cd "${1:?usage: ci_check.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
for program in zarvo match_scripted_engine; do
  [[ -x $build/$program ]] || { echo "ci_check.sh: no $build/$program" >&2; exit 1; }
done
if ! command -v slurmctld >/dev/null || ! command -v munged >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends slurm-wlm munge
fi

# 1. A folder of its own; munged wants the one its socket is in open to all, its key private.
work=$(mktemp -d /tmp/zarvo-slurm.XXXXXX)
chmod 755 "$work"
pids=()
stop() {
  local status=$?
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  if ((status != 0)); then
    for log in "$work"/log/*; do
      [[ -f $log ]] && { echo "== $log"; tail -n 30 "$log"; }
    done
  fi
  rm -rf "$work"
  exit "$status"
}
trap stop EXIT
mkdir -p "$work"/{log,state,spool,engines}

# 2. MUNGE, Slurm's authentication, with a fresh key.
head -c 1024 /dev/urandom >"$work/munge.key"
chmod 600 "$work/munge.key"
munged --foreground --socket="$work/munge.sock" --key-file="$work/munge.key" \
  --log-file="$work/log/munged.log" --pid-file="$work/munged.pid" \
  --seed-file="$work/munged.seed" >"$work/log/munged.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -S $work/munge.sock ]] && break; sleep 0.1; done

# 3. The controller and one node of 2 CPUs, both on this machine; no accounting.
host=$(hostname -s)
export SLURM_CONF=$work/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=zarvo-ci
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=16817
SlurmdPort=16818
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge.sock
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
NodeName=ci NodeHostname=$host NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN
PartitionName=ci Nodes=ci Default=YES MaxTime=INFINITE State=UP
CONF
# In the foreground (-D) so that the trap ends them by their process ids; what they print beside
# their logs goes to log/*.out.
slurmctld -D -c >"$work/log/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -N ci >"$work/log/slurmd.out" 2>&1 &
pids+=($!)
state=""
for _ in $(seq 60); do
  state=$(sinfo -h -n ci -o %T 2>/dev/null || true)
  [[ $state == idle ]] && break
  sleep 0.5
done
sinfo
[[ $state == idle ]] || { echo "ci_check.sh: the node is '$state', not idle" >&2; exit 1; }

# 4. Eight shards of a sixteen-game match, two job arrays of four, merged. The engines are named
# as a person would from the folder they submit in, relative to it.
for name in pipe-legal file-line; do ln -s "$build/match_scripted_engine" "$work/engines/$name"; done
cd "$work"
match=(pipe:engines/pipe-legal file:engines/file-line --games 16 --seed 7
       --move-time 1000 --tolerance 5000 --sprt "0,5")
"$here/run_match.sh" --dir "$work/cluster" --shards 8 --batch 4 --zarvo "$build/zarvo" \
  --sbatch "--time=10" -- "${match[@]}"

# 5. The same match without Slurm, and the two compared game by game and table by table.
"$build/zarvo" match "${match[@]}" --records "$work/here/records" >/dev/null 2>&1
"$build/zarvo" match --merge "$work/here/records" >"$work/here/merged.txt"
grep -q '^Merged 8 runs of a match of 16 games: 16 games in$' "$work/cluster/merged.txt"
grep -q '^Missing games: none$' "$work/cluster/merged.txt"
grep -q '^Games in more than one run (counted once): none$' "$work/cluster/merged.txt"
# The games as played: every stone of every game, the thinking times aside.
games() { cat "$@" | sed -E 's/ [0-9]+ ms$//'; }
diff <(cd "$work/here/records" && games game-*.txt) \
  <(cd "$work/cluster" && for f in shard-*/records/game-*.txt; do echo "${f##*/} $f"; done |
      sort | while read -r _ f; do games "$f"; done)
# The tables, the thinking times aside.
table() { sed -e '1d' -e '/^Thinking time/,/^$/d' "$1"; }
diff <(table "$work/here/merged.txt") <(table "$work/cluster/merged.txt")
echo "== the cluster's match is the one played here: $(grep '^Score' "$work/cluster/merged.txt")"
