#!/usr/bin/env bash
# One shard of a zarvo match, as a task of a Slurm job array:
#   sbatch --array=0-7 --export=ALL,ZARVO=/shared/zarvo,MATCH_DIR=/shared/m1 \
#     scripts/slurm/match_shard.sh ENGINE1 ENGINE2 [match options]
# Task T plays shard (SHARD_OFFSET + T) / SHARD_COUNT of the match (by default 0 and the array's
# size), in its own folder MATCH_DIR/shard-NNNNN: the records and match.result in records/, the
# engines' working folders in tmp/, what zarvo match printed in output.log. A task run again
# (requeued) starts its shard afresh. 'zarvo match --merge MATCH_DIR/shard-*/records' gives the
# match's result; scripts/slurm/run_match.sh submits, waits and merges.
#SBATCH --job-name=zarvo-match
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --output=/dev/null
set -euo pipefail

: "${ZARVO:?ZARVO must name the zarvo program}"
: "${MATCH_DIR:?MATCH_DIR must name the folder of the match, shared by the nodes}"
: "${SLURM_ARRAY_TASK_ID:?not a task of a job array (sbatch --array)}"
count=${SHARD_COUNT:-${SLURM_ARRAY_TASK_COUNT:-$((SLURM_ARRAY_TASK_MAX + 1))}}
index=$((${SHARD_OFFSET:-0} + SLURM_ARRAY_TASK_ID))

dir=$(printf '%s/shard-%05d' "$MATCH_DIR" "$index")
rm -rf "$dir"
mkdir -p "$dir/tmp"
# The engines' working folders are made under TMPDIR: the task's own, removed with it.
export TMPDIR="$dir/tmp"
status=0
"$ZARVO" match "$@" --shard "$index/$count" --records "$dir/records" >"$dir/output.log" 2>&1 ||
  status=$?
rm -rf "$dir/tmp"
exit "$status"
