// The deep search's board: one record changed by Move and Undo, holding for every empty square
// both sides' line patterns in the four directions, their class, the evaluation's running sums
// and a Zobrist key. Squares beyond the board are walls to the patterns.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>

#include "deep/patterns.h"
#include "deep/rules.h"

namespace zarvo::deep {

// Squares are indices into a padded grid: a wall margin of five around the largest board lets a
// line look five squares away without a bounds check.
inline constexpr int kPadding = kLineReach;
inline constexpr int kStride = kMaxBoardSize + 2 * kPadding;
inline constexpr int kSquareCount = kStride * kStride;
// Steps to the next square along each line: across, down, down-right, down-left.
inline constexpr std::array<int, 4> kDirection = {1, kStride, kStride + 1, kStride - 1};

using TSquareIndex = uint16_t;
inline constexpr TSquareIndex kNoSquare = 0;  // a wall square, never a move

// A set of squares, one bit each; visited in index order (row by row, as a board scan goes).
using TSquareSet = std::array<uint64_t, (kSquareCount + 63) / 64>;
template <class TVisit>
void ForEachSquare(const TSquareSet& set, TVisit&& visit) {
  for (std::size_t word = 0; word < set.size(); ++word)
    for (uint64_t bits = set[word]; bits != 0; bits &= bits - 1)
      visit(static_cast<TSquareIndex>(word * 64 + static_cast<unsigned>(std::countr_zero(bits))));
}

constexpr TSquareIndex SquareAt(int x, int y) {
  return static_cast<TSquareIndex>((y + kPadding) * kStride + x + kPadding);
}
constexpr int SquareX(TSquareIndex square) {
  return square % kStride - kPadding;
}
constexpr int SquareY(TSquareIndex square) {
  return square / kStride - kPadding;
}

enum TStone : uint8_t { kEmpty = 0, kBlack = 1, kWhite = 2, kWall = 3 };
constexpr int Opponent(int side) {
  return side ^ 1;
}
constexpr TStone StoneOf(int side) {
  return side == 0 ? kBlack : kWhite;
}

// Line values summed into a square's worth for the evaluation, by pattern (weakest first).
inline constexpr std::array<int16_t, kPatternCount> kLineValue = {0,  1,  4,  6,   20,
                                                                  24, 64, 72, 220, 800};

class TDeepBoard {
 public:
  // An empty board of the given size (clamped to the supported range).
  TDeepBoard(int width, int height, TRule rule);

  int Width() const { return width_; }
  int Height() const { return height_; }
  TRule Rule() const { return tables_->Rule(); }
  bool OnBoard(int x, int y) const { return x >= 0 && x < width_ && y >= 0 && y < height_; }

  TStone At(TSquareIndex square) const { return static_cast<TStone>(stone_[square]); }
  bool IsEmpty(TSquareIndex square) const { return stone_[square] == kEmpty; }
  int SideToMove() const { return sideToMove_; }
  int StoneCount() const { return moveCount_; }
  bool Full() const { return moveCount_ == width_ * height_; }
  uint64_t Hash() const { return hash_; }
  TSquareIndex LastMove() const { return moveCount_ ? history_[moveCount_ - 1].Square : kNoSquare; }
  TSquareIndex MoveAt(int ply) const { return history_[ply].Square; }

  // Places the side to move's stone on an empty board square and passes the turn; Undo takes
  // the last stone back and gives the turn to its side.
  void Move(TSquareIndex square);
  void Undo();
  // Setting up a position: a stone of the given side, the side to move unchanged; and the turn
  // given to a side without a stone.
  void Place(TSquareIndex square, int side);
  void SetSideToMove(int side);

  // What an empty square is worth to a side: its class and its line patterns.
  TPattern4 Class(TSquareIndex square, int side) const {
    return static_cast<TPattern4>(class_[side][square]);
  }
  TPattern LinePattern(TSquareIndex square, int side, int direction) const {
    return static_cast<TPattern>((packed_[side][square] >> (4 * direction)) & 15);
  }
  int SquareValue(TSquareIndex square, int side) const { return value_[side][square]; }
  // How many empty squares have each class for a side.
  int ClassCount(int side, TPattern4 cls) const { return classCount_[side][cls]; }
  // Squares of class at least `cls` for a side.
  int ClassCountAtLeast(int side, TPattern4 cls) const;
  // The empty squares where a side makes an open three or more (class P4Flex3 and up): the
  // threat solvers' and the defences' candidates without a scan of the board.
  const TSquareSet& ThreatSquares(int side) const { return threats_[side]; }
  // The sum of the empty squares' values for a side.
  int ValueSum(int side) const { return valueSum_[side]; }

  // Stones within two squares along a line: where quiet moves are looked for.
  bool IsNearStones(TSquareIndex square) const { return near_[square] != 0; }
  // The rectangle that holds every stone, widened by `margin` and cut to the board.
  struct TArea {
    int MinX, MinY, MaxX, MaxY;
  };
  TArea StoneArea(int margin) const;

  // The first empty square of class at least `cls` for a side, or kNoSquare: searched on the
  // lines through `around` first (where a new threat appears), then the stones' area.
  TSquareIndex FindClass(int side, TPattern4 cls, TSquareIndex around = kNoSquare) const;

  // Whether everything a rebuild recomputes equals that of `fresh` (a board built from the same
  // stones): rule and size, stones, line keys, patterns, classes, values, threat sets, counts
  // and sums, the key, the side to move, the stone area and the move count. The check that make
  // and undo kept the state exact.
  bool SameAs(const TDeepBoard& fresh) const;

 private:
  struct TUndo {
    TSquareIndex Square;
    uint8_t Side;                   // whose stone it is
    int8_t MinX, MinY, MaxX, MaxY;  // the stone area before the move
  };

  void SetStone(TSquareIndex square, TStone stone);
  void Refresh(TSquareIndex square, int direction);
  void Forget(TSquareIndex square);
  void Recount(TSquareIndex square);
  void SetClass(int side, TSquareIndex square, uint8_t cls);
  // Checking builds: the square and the squares whose lines pass within reach of it hold what a
  // recomputation from the stones gives them; stops the program at the first disagreement.
  void CheckAround(TSquareIndex square) const;
  void CheckAroundSampled(TSquareIndex square) const;

  const TPatternTables* tables_;
  int width_, height_;
  int sideToMove_ = 0;
  int moveCount_ = 0;
  uint64_t hash_ = 0;
  int8_t minX_ = 0, minY_ = 0, maxX_ = -1, maxY_ = -1;  // empty area when maxX_ < minX_

  std::array<uint8_t, kSquareCount> stone_;
  std::array<std::array<uint32_t, kSquareCount>, 4> key_;     // line keys by direction
  std::array<std::array<uint16_t, kSquareCount>, 2> packed_;  // four patterns, 4 bits each
  std::array<std::array<uint8_t, kSquareCount>, 2> class_;    // TPattern4
  std::array<std::array<int16_t, kSquareCount>, 2> value_;    // sum of kLineValue
  std::array<uint8_t, kSquareCount> near_;                    // stones within two on a line
  std::array<TSquareSet, 2> threats_;                         // class P4Flex3 and up
  std::array<std::array<int, kPattern4Count>, 2> classCount_;
  std::array<int, 2> valueSum_;
  std::array<TUndo, kMaxBoardSize * kMaxBoardSize> history_;
};

static_assert(std::is_trivially_copyable_v<TDeepBoard>);

// The Zobrist key of a stone of a side on a square.
uint64_t ZobristKey(int side, TSquareIndex square);

}  // namespace zarvo::deep
