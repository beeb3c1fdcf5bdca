#!/usr/bin/env bash
# A zarvo match on a Slurm cluster: its shards submitted as job arrays, a batch at a time, until
# the sequential test decides or every shard has played; then the shards merged.
#
# usage: scripts/slurm/run_match.sh --dir DIR --shards N [--batch M] [--zarvo PATH]
#                                   [--sbatch "OPTIONS"] -- ENGINE1 ENGINE2 [match options]
#   --dir DIR     the match's folder, on a file system every node sees (made if missing)
#   --shards N    the match is played as shards 0/N .. N-1/N (each plays about GAMES / N games;
#                 N at most the match's pairs, GAMES / 2)
#   --batch M     shards per job array (default: all N at once); the test is looked at after each
#   --zarvo PATH  the zarvo program, the same path on every node (default: zarvo on the PATH)
#   --sbatch ...  more options for sbatch (a partition, a time limit, ...), one shell word
# The match options are zarvo match's (--games, --move-time, --sprt, ...), the same for every
# shard; --shard and --records are the script's. At the end DIR/merged.txt holds the result of
# 'zarvo match --merge' over the shards played, and it is printed.
# exit status: 0 merged, 1 the merge failed, 2 bad usage.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
dir="" shards="" batch="" zarvo="" sbatch_options=""
while (($#)); do
  case "$1" in
    --dir) dir=$2; shift 2 ;;
    --shards) shards=$2; shift 2 ;;
    --batch) batch=$2; shift 2 ;;
    --zarvo) zarvo=$2; shift 2 ;;
    --sbatch) sbatch_options=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "run_match.sh: unknown option '$1' (see the script's head)" >&2; exit 2 ;;
  esac
done
if [[ -z $dir || ! $shards =~ ^[1-9][0-9]*$ || $# -lt 2 ]]; then
  echo "run_match.sh: needs --dir DIR, --shards N and -- ENGINE1 ENGINE2 [match options]" >&2
  exit 2
fi
batch=${batch:-$shards}
[[ $batch =~ ^[1-9][0-9]*$ ]] || { echo "run_match.sh: --batch takes a number" >&2; exit 2; }
zarvo=$(command -v "${zarvo:-zarvo}") || { echo "run_match.sh: no zarvo program" >&2; exit 2; }
zarvo=$(realpath "$zarvo")
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

merge() {
  local folders=()
  for records in "$dir"/shard-*/records; do
    [[ -f $records/match.result ]] && folders+=("$records")
  done
  ((${#folders[@]})) || { echo "run_match.sh: no shard left a result" >&2; return 1; }
  "$zarvo" match --merge "${folders[@]}" >"$dir/merged.txt"
}

offset=0
while ((offset < shards)); do
  size=$((shards - offset < batch ? shards - offset : batch))
  echo "== shards $offset to $((offset + size - 1)) of $shards" >&2
  # --wait: back when every task of the array has ended. A failed task is the merge's to report
  # (its games are missing), not a reason to stop the match.
  # shellcheck disable=SC2086 # the sbatch options are meant to split into words
  # The tasks start in this folder, so engines named by relative paths are found as here.
  sbatch --wait --quiet --array="0-$((size - 1))" $sbatch_options \
    --export="ALL,ZARVO=$zarvo,MATCH_DIR=$dir,SHARD_OFFSET=$offset,SHARD_COUNT=$shards" \
    "$here/match_shard.sh" "$@" || echo "run_match.sh: a task of the batch failed" >&2
  offset=$((offset + size))
  merge || exit 1
  if grep -Eq '^LLR .*: H[01] accepted' "$dir/merged.txt"; then
    echo "== the test has decided" >&2
    break
  fi
done
cat "$dir/merged.txt"
