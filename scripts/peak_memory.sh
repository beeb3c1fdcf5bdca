#!/usr/bin/env bash
# Peak resident memory of Zarvo2 on the positions of the bench suite, each played once through
# the move files as a manager plays it, without an opening book and with a book of ENTRIES
# entries in each of its two files (made by "zarvo book build" from random games).
#
#   scripts/peak_memory.sh [BUILD] [BUDGET_MS] [ENTRIES]   defaults: build 1000 100000
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
budget="${2:-1000}"
entries="${3:-100000}"
engine="$(realpath "$build/Zarvo2")"
tool="$(realpath "$build/zarvo")"
[[ -x /usr/bin/time ]] || { echo "peak_memory.sh: needs /usr/bin/time" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# 1. The suite, as the bench command has it built in.
sed -n '/R"(/,/)"/p' zarvo/bench_suite.h | grep -E '^[0-9]' >"$work/suite.txt"

# 2. The book: random games of 1 to 15 stones near the centre, each with a reply; an even and
# an odd number of stones land in the two files, about ENTRIES in each.
awk -v lines=$((2 * entries)) 'BEGIN {
  srand(1)
  for (i = 0; i < lines; ++i) {
    n = 1 + int(rand() * 15); split("", used); text = ""
    for (k = 0; k <= n; ++k) {
      do { x = 2 + int(rand() * 16); y = 2 + int(rand() * 16) } while ((x "," y) in used)
      used[x "," y] = 1
      text = text (k == n ? ": " : "") x "," y " "
    }
    print text int(rand() * 50) " " int(rand() * 50)
  }
}' >"$work/book.txt"
"$tool" book build --out "$work/book" "$work/book.txt" >/dev/null
echo "book: $("$tool" book dump "$work/book.ob1" 2>/dev/null | head -1), $("$tool" book dump "$work/book.ob2" 2>/dev/null | head -1)"

# 3. One run per position; the engine is started as "bin/Zarvo2.x", so its books are
# bin/Zarvo2.ob1 and .ob2 of the working directory.
run() {  # run MOVES WITH_BOOK -> peak KB
  local dir="$work/run"
  rm -rf "$dir" && mkdir -p "$dir/bin"
  ln -s "$engine" "$dir/bin/Zarvo2.x"
  if [[ "$2" == yes ]]; then
    ln -s "$work/book.ob1" "$dir/bin/Zarvo2.ob1"
    ln -s "$work/book.ob2" "$dir/bin/Zarvo2.ob2"
  fi
  printf '1\r\n%d\r\n' $((3 * budget)) >"$dir/TimeOuts.dat"
  awk -v moves="$1" 'BEGIN {
    for (y = 0; y < 20; ++y) for (x = 0; x < 20; ++x) b[x, y] = "."
    n = split(moves, m, " ")
    for (i = 1; i <= n; ++i) { split(m[i], s, ","); b[s[1], s[2]] = (i % 2 ? "x" : "o") }
    for (y = 0; y < 20; ++y) { line = ""; for (x = 0; x < 20; ++x) line = line b[x, y]; printf "%s\r\n", line }
  }' >"$dir/Plocha.dat"
  if (($(wc -w <<<"$1") % 2)); then printf 'o' >"$dir/Tah.dat"; else printf 'x' >"$dir/Tah.dat"; fi
  (cd "$dir" && /usr/bin/time -f %M -o "$work/rss" bin/Zarvo2.x)
  cat "$work/rss"
}

printf '%-4s %-7s %12s %12s\n' pos stones "no book KB" "book KB"
max_plain=0 max_book=0 index=0
while read -r moves; do
  index=$((index + 1))
  stones=$(wc -w <<<"$moves")
  plain=$(run "$moves" no)
  book=$(run "$moves" yes)
  ((plain > max_plain)) && max_plain=$plain
  ((book > max_book)) && max_book=$book
  printf '%-4s %-7s %12s %12s\n' "$index" "$stones" "$plain" "$book"
done <"$work/suite.txt"
echo "peak over the suite: ${max_plain} KB without a book, ${max_book} KB with the book"
