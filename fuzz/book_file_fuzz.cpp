// Any bytes as an opening-book file: loaded, then probed against a few small fixed positions in
// memory and once through the whole engine move, with the bytes as the book file it looks up.
// A probe may only change the scores of empty squares of the board, and the move must be an
// empty square.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <span>

#include "board/position.h"
#include "board/stones.h"
#include "book/book_probe.h"
#include "book/opennings.h"
#include "driver/engine.h"
#include "driver/move_files.h"
#include "fuzz/fuzz_check.h"

namespace {

using namespace zarvo;

struct TFixedStone {
  int X, Y;
  uint8_t Stone;
};

// Book-sized positions: the centre after one and two stones, and three stones in a corner,
// where the book window is clipped by the board's edge.
struct TFixedPosition {
  uint8_t OwnStone;
  std::array<TFixedStone, 3> Stones;
  int StoneCount;
};
constexpr TFixedPosition kPositions[] = {
    {kStoneO, {{{9, 9, kStoneX}}}, 1},
    {kStoneX, {{{9, 9, kStoneX}, {10, 10, kStoneO}}}, 2},
    {kStoneO, {{{0, 0, kStoneX}, {1, 1, kStoneO}, {0, 2, kStoneX}}}, 3},
};

// Every cell field but the probed score, which only an empty square of the board may change.
bool SameExceptScore(const TCell& a, const TCell& b, bool scoreMayChange) {
  return a.X == b.X && a.Y == b.Y && a.Stone == b.Stone && a.Value[1] == b.Value[1] &&
         (scoreMayChange || a.Value[0] == b.Value[0]) && a.LineSum == b.LineSum &&
         a.TopClass == b.TopClass && a.DirClass == b.DirClass;
}

void ProbeFixedPosition(const TFixedPosition& fixed, std::span<const uint8_t> bytes) {
  TSideMaps sides;
  sides.OwnStone = fixed.OwnStone;
  SetSideMaps(sides);
  TPosition position{};
  InitPosition(position);
  for (int i = 0; i < fixed.StoneCount; ++i) {
    const TFixedStone& s = fixed.Stones[static_cast<size_t>(i)];
    PlaceStone(sides, s.Stone, s.X, s.Y, position);
  }
  // Scores of every kind the probe meets: positive, zero and written off.
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (position.Cell(x, y).Stone == kEmpty) position.Cell(x, y).Value[0] = (x * 7 + y) % 50 - 5;
  const TPosition before = position;

  TOpenning_Book book;
  book.LoadFromBytes(bytes);
  const int32_t count = book.Count();
  ProbeBook(book, sides, kForceRandomRange + fixed.StoneCount, position, 100);
  FUZZ_CHECK(book.Count() == count, "the probe left %d of %d entries", book.Count(), count);

  for (int x = -kBorder; x < kBoardSize + kBorder; ++x) {
    for (int y = -kBorder; y < kBoardSize + kBorder; ++y) {
      const bool mayChange = OnBoard(x, y) && before.Cell(x, y).Stone == kEmpty;
      FUZZ_CHECK(SameExceptScore(before.Cell(x, y), position.Cell(x, y), mayChange),
                 "the probe changed square %d,%d", x, y);
    }
  }
  FUZZ_CHECK(std::memcmp(&before.StraightBits, &position.StraightBits,
                         sizeof position.StraightBits) == 0 &&
                 std::memcmp(&before.DiagonalBits, &position.DiagonalBits,
                             sizeof position.DiagonalBits) == 0,
             "the probe changed the line words");
}

// The whole move with the bytes as both book files the engine may look up.
void PlayWithBook(std::span<const uint8_t> bytes) {
  const std::filesystem::path& dir = fuzzing::ScratchDir();
  for (const char* name : {"Zarvo.ob1", "Zarvo.ob2"}) {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  TBoardText board;
  board.Rows[0] = "xo..................";
  board.Rows[1] = ".x..................";
  board.RowCount = 2;
  TEngineState state;
  state.WorkDir = dir;  // the default base name "Zarvo", looked up in the work folder
  TEngineOptions options;
  options.Seed = 1;
  options.BudgetMs = 0;  // quick rules and the book only
  const TSquare move = PlayPosition(state, kStoneO, board, options);
  FUZZ_CHECK(OnBoard(move.X, move.Y), "answer %d,%d is off the board", move.X, move.Y);
  const bool occupied =
      move.Y < board.RowCount && board.Rows[move.Y][static_cast<size_t>(move.X)] != '.';
  FUZZ_CHECK(!occupied, "answer %d,%d is occupied", move.X, move.Y);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  for (const TFixedPosition& fixed : kPositions) ProbeFixedPosition(fixed, bytes);
  PlayWithBook(bytes);
  return 0;
}
