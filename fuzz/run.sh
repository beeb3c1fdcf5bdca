#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) on a copy of its seed
# corpus under AddressSanitizer and UndefinedBehaviorSanitizer. Fails on the first finding; the
# input that caused it is kept in BUILD/findings/.
#
#   fuzz/run.sh [SECONDS]          BUILD: build-fuzz, or $ZARVO_FUZZ_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || ((seconds == 0)); then
  echo "usage: fuzz/run.sh [SECONDS]" >&2
  exit 2
fi
build="${ZARVO_FUZZ_BUILD:-build-fuzz}"

targets=()
for source in fuzz/*_fuzz.cpp; do
  targets+=("$(basename "$source" .cpp)")
done

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARVO_FUZZ=ON -DZARVO_TESTS=OFF -DZARVO_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

findings="$build/findings"
mkdir -p "$findings"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in "${targets[@]}"; do
  name="${target%_fuzz}"
  # Inputs the run finds are added to the copy; the committed corpus stays as it is.
  corpus="$scratch/$name"
  mkdir -p "$corpus"
  cp -R "fuzz/corpus/$name/." "$corpus/"
  echo "== $target: ${seconds}s on $(ls "$corpus" | wc -l) seed inputs"
  # A single input that takes 30 s is a hang for an engine that answers within seconds.
  # TMPDIR: the targets' scratch folders go with the rest of this run's files.
  if ! TMPDIR="$scratch" "$build/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/$name-" -print_final_stats=1 "$corpus" \
      >"$scratch/$name.log" 2>&1; then
    tail -n 60 "$scratch/$name.log" >&2
    echo "fuzz/run.sh: $target found a fault; the input is in $findings/" >&2
    exit 1
  fi
  grep -E '^Done' "$scratch/$name.log" || true
done
echo "== every fuzz target ran ${seconds}s without findings"
