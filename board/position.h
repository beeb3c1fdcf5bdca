// The position record: one board with its per-square pattern state and per-side line words.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

#include "base/square.h"
#include "board/stones.h"

namespace zarvo {

inline constexpr int kBorder = 5;  // off-board cells on every side of the padded array
inline constexpr int kPadded = kBoardSize + 2 * kBorder;
inline constexpr int kLineCount = 2 * kBoardSize - 1;  // diagonals of one direction

// Steps of the four line directions, indexed by direction 0..3.
inline constexpr std::array<int, 4> DirDX{0, 1, 1, -1};
inline constexpr std::array<int, 4> DirDY{1, 0, 1, 1};

// Bit of the square at position k (-5..26) along a line word.
constexpr uint32_t SquareBit(int k) {
  return uint32_t{1} << (k + kBorder);
}

// Positions -5..-1 and 20..24 of every line: off the board.
inline constexpr uint32_t kOuterWallBits = 0x3E00001F;

struct TCell {
  int8_t X;
  int8_t Y;
  uint8_t Stone;
  std::array<int32_t, 2> Value;     // by side slot; a score, or one of the marks below
  std::array<int32_t, 2> LineSum;   // by side slot
  std::array<uint8_t, 2> TopClass;  // by side slot
  std::array<uint8_t, 4> DirClass;  // by direction: low nibble slot 0, high nibble slot 1
};

// Values of TCell::Value that are marks, not scores: an occupied square on any board, a square
// filtered out of the opening's level-1 board, and the others on entries of candidate lists.
// Lists are sorted by Value, so the numbers decide where marked entries land.
inline constexpr int32_t kOccupiedMark = -10000;    // a stone stands on the square
inline constexpr int32_t kNotPlayableMark = -1;     // the list slots after a forced reply
inline constexpr int32_t kMarkCeiling = -50000;     // entries above it are scores or occupied
inline constexpr int32_t kUnsearchedMark = -50500;  // a level-1 candidate not searched (yet)
inline constexpr int32_t kExcludedMark = -51000;    // a level-1 candidate the search leaves out
inline constexpr int32_t kUnfilledMark = -100000;   // a candidate slot that holds no square
inline constexpr int32_t kFilteredMark = -123456;   // taken out by the opening's open-four filter

struct TLineWords {
  std::array<uint32_t, kBoardSize> ColumnBits;  // direction 0, index X
  std::array<uint32_t, kBoardSize> RowBits;     // direction 1, index Y
};

struct TDiagonalWords {
  std::array<uint32_t, kLineCount> DiagBits;      // direction 2, index X - Y + 19
  std::array<uint32_t, kLineCount> AntiDiagBits;  // direction 3, index X + Y
};

struct TWallWords {
  std::array<uint32_t, kBoardSize> ColumnBits;
  std::array<uint32_t, kBoardSize> RowBits;
  std::array<uint32_t, kLineCount> DiagBits;
  std::array<uint32_t, kLineCount> AntiDiagBits;
};

struct TPosition {
  // Cells[X + 5][Y + 5] is the square (X, Y); X and Y run -5..24 so scans of up to five squares
  // from an on-board square need no bounds check. Use Cell(X, Y).
  std::array<std::array<TCell, kPadded>, kPadded> Cells;
  std::array<TLineWords, 2> StraightBits;      // by side slot
  std::array<TDiagonalWords, 2> DiagonalBits;  // by side slot
  TWallWords WallBits;
  int32_t MinX, MinY, MaxX, MaxY;  // bounding box of the stones; 50, 50, -50, -50 when none
  int32_t Margin;                  // candidate-area widening, set by move selection

  TCell& Cell(int x, int y) { return Cells[x + kBorder][y + kBorder]; }
  const TCell& Cell(int x, int y) const { return Cells[x + kBorder][y + kBorder]; }
};

// Every search level copies the record whole, so it must stay one flat block.
static_assert(std::is_trivially_copyable_v<TPosition>);
static_assert(std::is_standard_layout_v<TPosition>);
static_assert(std::is_trivially_copyable_v<TCell>);

// Makes the record an empty board. Margin is left as it was.
void InitPosition(TPosition& position);

// Makes the record a smaller board: the squares from column `width` and from row `height` on
// become walls, as the edge of the board is, for the evaluation of a board under 20 x 20. The
// search plays 20 x 20 only.
void WallOffBeyond(TPosition& position, int width, int height);

// Puts a stone (1 or 2) on the square, filed under the slot the side maps give it. Off-board
// squares are ignored; the square is not checked for being empty. Always true.
bool PlaceStone(const TSideMaps& sides, uint8_t stone, int x, int y, TPosition& position);

}  // namespace zarvo
