#!/usr/bin/env bash
# The Windows programs under Wine, against the Linux build: the package's files; the same move
# through the move files for the same board, seed and budget, byte for byte; the opening book
# found from a Windows program path; and a scripted brain session whose standard output matches
# the Linux one byte for byte (answers end in LF alone, whatever the input's line ends).
#
#   scripts/windows_check.sh [LINUX_BUILD] [WINDOWS_BUILD]   defaults: build build-windows
set -euo pipefail
cd "$(dirname "$0")/.."

linux="$(realpath "${1:-build}")"
windows="$(realpath "${2:-build-windows}")"
wine="$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)"
[[ -x "$wine" ]] || { echo "windows_check.sh: needs wine64" >&2; exit 2; }
for program in "$linux/Zarvo2" "$linux/pbrain-zarvo2" "$linux/zarvo" \
               "$windows/Zarvo2.exe" "$windows/pbrain-zarvo2.exe"; do
  [[ -x "$program" ]] || { echo "windows_check.sh: $program is missing" >&2; exit 2; }
done

# No dot in the path: the book test needs the base name to end at the program's own ".exe".
work="$(mktemp -d /tmp/zarvo-windows-check-XXXXXX)"
trap 'rm -rf "$work"' EXIT
export WINEPREFIX="$work/wine" WINEDEBUG=-all
"$wine" wineboot --init >/dev/null 2>&1 || true
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A board file from "X,Y,letter" stones; rows end in CR LF as a Windows manager writes them.
board_file() {
  local -a cells
  local x y letter row
  for ((x = 0; x < 400; ++x)); do cells[x]=.; done
  for stone in "$@"; do
    IFS=, read -r x y letter <<<"$stone"
    cells[y * 20 + x]="$letter"
  done
  for ((y = 0; y < 20; ++y)); do
    row=""
    for ((x = 0; x < 20; ++x)); do row+="${cells[y * 20 + x]}"; done
    printf '%s\r\n' "$row"
  done
}

# Runs one move-file program (the Linux one directly, the Windows one under Wine) in DIR.
move() {
  local dir="$1" seed="$2"
  shift 2
  (cd "$dir" && ZARVO_SEED="$seed" "$@" >/dev/null 2>&1) || fail "$* ended with status $?"
}

# 1. The package: the two programs and the note at the top of the zip, nothing else.
zip="$windows/Zarvo2-windows.zip"
if [[ ! -f "$zip" ]]; then
  fail "no package $zip (cmake --build $windows --target package)"
elif [[ "$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')" != "Zarvo2.exe Zarvo2.txt pbrain-zarvo2.exe " ]]; then
  fail "the package holds: $(cmake -E tar tf "$zip" | tr '\n' ' ')"
fi

# 2. The move files: a fresh directory for each program, the same files in both.
boards=(
  "9,9,x"
  "9,9,x 10,10,o"
  "9,9,x 10,9,o 10,10,x 8,8,o 11,11,x 12,12,o 9,11,x 8,12,o 10,12,x 11,13,o"
  "5,5,o 6,5,o 7,5,o 12,12,x 13,13,x 14,14,x"
)
case_number=0
for stones in "${boards[@]}"; do
  for seed in 1 7 31337; do
    case_number=$((case_number + 1))
    for side in linux windows; do
      mkdir -p "$work/$side"
      board_file $stones >"$work/$side/Plocha.dat"
      printf 'x\r\n' >"$work/$side/Tah.dat"
      printf '2\r\n5997\r\n' >"$work/$side/TimeOuts.dat"  # 1999 ms: depth 5 well within time
    done
    move "$work/linux" "$seed" "$linux/Zarvo2"
    move "$work/windows" "$seed" "$wine" "$windows/Zarvo2.exe"
    expected="$(od -An -c "$work/linux/Tah.dat")"
    actual="$(od -An -c "$work/windows/Tah.dat")"
    if [[ "$expected" != "$actual" ]]; then
      fail "move files, board '$stones', seed $seed: Linux [$expected], Windows [$actual]"
    elif ! grep -qP '^\d+,\d+\r$' "$work/windows/Tah.dat"; then
      fail "move files, board '$stones': the answer [$actual] is not X,Y CR LF"
    fi
    rm -rf "$work/linux" "$work/windows"
  done
done
echo "move files: $case_number positions compared"

# 3. The opening book from a Windows path: C:\...\Zarvo2.exe reads Zarvo2.ob1 beside it; a dot in
#    a folder name cuts the base name there, so the book is missed.
mkdir -p "$work/engines" "$work/engines.v2" "$work/game"
printf '9,9 10,10 8,10 11,8 : 12,7 5 0\n' >"$work/book.txt"
"$linux/zarvo" book build --out "$work/engines/Zarvo2" "$work/book.txt" >/dev/null
cp "$windows/Zarvo2.exe" "$work/engines/"
cp "$work/engines/"* "$work/engines.v2/"
board_file 9,9,x 10,10,o 8,10,x 11,8,o >"$work/game/Plocha.dat"
windows_path() { echo "Z:${1//\//\\}"; }
printf 'x' >"$work/game/Tah.dat"
move "$work/game" 1 "$wine" "$(windows_path "$work/engines/Zarvo2.exe")"
[[ "$(cat "$work/game/Tah.dat")" == $'12,7\r' ]] || fail "book beside Zarvo2.exe not played"
printf 'x' >"$work/game/Tah.dat"
move "$work/game" 1 "$wine" "$(windows_path "$work/engines.v2/Zarvo2.exe")"
[[ "$(cat "$work/game/Tah.dat")" != $'12,7\r' ]] || fail "book found through a dotted folder"
echo "opening book: found from a Windows path"

# 4. A brain session with CR LF line ends, every command kind and a 0x1A byte (which a text-mode
#    input would take for its end): the same bytes from both programs, no CR among them. The
#    classic choice, whose answers do not depend on the clock; the deep search follows.
printf '%s\r\n' 'ABOUT' 'START 20' 'INFO timeout_turn 300' 'INFO folder brain' 'BEGIN' \
  'TURN 10,10' 'SUGGEST' 'TAKEBACK 10,10' 'PLAY 12,12' 'BOARD' '9,9,1' '10,9,2' '9,10,1' \
  '11,11,2' 'DONE' $'\x1a' 'SWAP2BOARD' 'DONE' 'SWAP2BOARD' '9,9' '0,19' '10,9' 'DONE' \
  'SWAP2BOARD' '9,9' '10,10' '12,7' 'DONE' 'INFO evaluate 3,3' 'TURN 30,1' 'ABOUT' 'END' \
  >"$work/session.txt"
mkdir -p "$work/brain-linux/brain" "$work/brain-windows/brain"
(cd "$work/brain-linux" &&
  "$linux/pbrain-zarvo2" --classic --seed 5 <"$work/session.txt" >out.txt 2>err.txt) ||
  fail "the Linux brain ended with status $?"
(cd "$work/brain-windows" &&
  "$wine" "$windows/pbrain-zarvo2.exe" --classic --seed 5 <"$work/session.txt" >out.txt \
    2>err.txt) ||
  fail "the Windows brain ended with status $?"
if ! cmp -s "$work/brain-linux/out.txt" "$work/brain-windows/out.txt"; then
  fail "brain session: the outputs differ"
  diff <(od -c "$work/brain-linux/out.txt") <(od -c "$work/brain-windows/out.txt") | head -20 || true
fi
if grep -q $'\r' "$work/brain-windows/out.txt"; then fail "brain session: a CR in the output"; fi
if [[ -s "$work/brain-windows/err.txt" ]]; then fail "brain session: output on standard error"; fi
echo "brain session: $(wc -l <"$work/brain-windows/out.txt") answer lines compared"

# 5. The deep search under Wine: its MESSAGE lines and moves depend on the clock, so only their
#    form is checked: OK, then iteration lines, the move's summary line and a move for each of
#    BEGIN and TURN.
printf '%s\r\n' 'START 20' 'INFO timeout_turn 300' 'BEGIN' 'TURN 11,11' 'END' >"$work/deep.txt"
mkdir -p "$work/deep-windows"
(cd "$work/deep-windows" && "$wine" "$windows/pbrain-zarvo2.exe" <"$work/deep.txt" >out.txt \
  2>err.txt) || fail "the Windows deep search ended with status $?"
if grep -q $'\r' "$work/deep-windows/out.txt"; then fail "deep search: a CR in the output"; fi
if [[ "$(grep -vE '^MESSAGE (depth|move) ' "$work/deep-windows/out.txt" | tr '\n' ' ')" != "OK 10,10 "*" " ||
      "$(grep -c '^MESSAGE move ' "$work/deep-windows/out.txt")" != 2 ||
      "$(grep -cE '^[0-9]+,[0-9]+$' "$work/deep-windows/out.txt")" != 2 ]]; then
  fail "deep search: unexpected answers: $(tr '\n' '|' <"$work/deep-windows/out.txt")"
fi
echo "deep search: answered under Wine"

if ((failures)); then
  echo "windows_check.sh: $failures failures"
  exit 1
fi
echo "windows_check.sh: all passed"
