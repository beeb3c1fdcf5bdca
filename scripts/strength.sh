#!/usr/bin/env bash
# Plays pbrain-zarvo2 (the deep search) against every sparring engine found beside the project
# and prints each match's score with its Elo difference and 95 % margin. A measuring tool only:
# no test or CI run calls it, and it does nothing when no sparring engine is there.
#
#   scripts/strength.sh [--move-time MS] [--games N] [--seed N] [--build DIR] [--peers DIR]
#                       [--engine "PATH ARGS"] [--records DIR] [--board N] [--exact-five]
#
# Defaults: 1000 ms a move, 40 games (20 openings, each played with both colours), seed 1, the
# programs of build/, the engines of ../shared/peers/bin. A peer that times itself loosely (Wine)
# gets a tolerance of 1500 ms, the others 500 ms; the result table shows late moves either way.
# --board and --exact-five go to zarvo match (another board size, only exactly five wins).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
moveTime=1000 games=40 seed=1 build="$root/build" peers="$root/../shared/peers/bin" engine="" records=""
rules=()
while (($#)); do
  case "$1" in
    --move-time) moveTime="$2"; shift 2 ;;
    --games) games="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --peers) peers="$2"; shift 2 ;;
    --engine) engine="$2"; shift 2 ;;
    --records) records="$2"; shift 2 ;;
    --board) rules+=(--board "$2"); shift 2 ;;
    --exact-five) rules+=(--exact-five); shift ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "strength.sh: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
done
engine="${engine:-$build/pbrain-zarvo2}"
tool="$build/zarvo"
if [[ ! -x "$tool" || ! -x "${engine%% *}" ]]; then
  echo "strength.sh: build first (cmake -S . -B build && cmake --build build -j2)" >&2
  exit 1
fi
found=0
for peer in "$peers"/pbrain-*; do
  [[ -x "$peer" ]] || continue
  found=1
  name="$(basename "$peer")"
  tolerance=500
  [[ "$name" == *wine* ]] && tolerance=1500
  echo "== $name, $games games, $moveTime ms a move, tolerance $tolerance ms"
  extra=()
  [[ -n "$records" ]] && extra=(--records "$records/$name")
  "$tool" match "pipe:$engine" "pipe:$peer" --games "$games" --move-time "$moveTime" \
    --tolerance "$tolerance" --seed "$seed" "${rules[@]}" "${extra[@]}" 2>/dev/null |
    sed -n '/^Engines/,$p'
done
((found)) || echo "strength.sh: no engine found in $peers; nothing to measure"
