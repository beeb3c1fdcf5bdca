#include "deep/forbidden.h"

#include <array>

namespace zarvo::deep {
namespace {

// The stones looked at deeper in the recursion: one per level, and one more for a five or a
// straight four tried on top; and the squares judged for one answer. Real positions need a few
// of each; a position made to branch at every level could need millions. At either limit a three
// is taken to count, which can only make black more careful.
constexpr int kMaxStonesOnTop = 16;
constexpr int kMaxJudged = 4096;

// The board's stones with black stones placed on top of them for the look ahead.
class TStonesOnTop {
 public:
  explicit TStonesOnTop(const TDeepBoard& board) : board_(board) {}

  // Whether the look ahead must stop here.
  bool Full() const { return count_ == kMaxStonesOnTop || judged_ >= kMaxJudged; }
  void Push(int square) { onTop_[count_++] = square; }
  void CountJudged() { ++judged_; }
  void Pop() { --count_; }

  bool Black(int square) const {
    return board_.At(static_cast<TSquareIndex>(square)) == kBlack || OnTop(square);
  }
  bool Empty(int square) const {
    return board_.IsEmpty(static_cast<TSquareIndex>(square)) && !OnTop(square);
  }

 private:
  bool OnTop(int square) const {
    for (int i = 0; i < count_; ++i)
      if (onTop_[i] == square) return true;
    return false;
  }

  const TDeepBoard& board_;
  std::array<int, kMaxStonesOnTop + 1> onTop_{};  // a five or a four tried on a full stack
  int count_ = 0;
  int judged_ = 0;
};

// The black run through `square` along a line: its ends as steps from the square.
struct TRun {
  int Low, High;
  int Length() const { return High - Low + 1; }
};
TRun RunThrough(const TStonesOnTop& stones, int square, int step) {
  TRun run{0, 0};
  while (stones.Black(square + (run.Low - 1) * step)) --run.Low;
  while (stones.Black(square + (run.High + 1) * step)) ++run.High;
  return run;
}

// Squares on the line near `square` that a look at fours and threes tries.
constexpr int kNear = 4;

// How many fours the stone on `square` is part of along a line: the empty squares that make an
// exact five with it, where the two ends of a straight four are one four.
int FoursAlong(TStonesOnTop& stones, int square, int step) {
  int count = 0, first = 0, last = 0;
  for (int k = -kNear; k <= kNear; ++k) {
    if (k == 0 || !stones.Empty(square + k * step)) continue;
    stones.Push(square + k * step);
    const bool five = RunThrough(stones, square, step).Length() == 5;
    stones.Pop();
    if (!five) continue;
    if (count++ == 0) first = k;
    last = k;
  }
  return count == 2 && last - first == 5 ? 1 : count;
}

// Whether a black stone on the empty square `extra` makes a straight four with `square`'s run.
bool MakesStraightFour(TStonesOnTop& stones, int square, int extra, int step) {
  stones.Push(extra);
  const TRun run = RunThrough(stones, square, step);
  const int low = square + (run.Low - 1) * step, high = square + (run.High + 1) * step;
  const bool straight = run.Length() == 4 && stones.Empty(low) && stones.Empty(high) &&
                        !stones.Black(low - step) && !stones.Black(high + step);
  stones.Pop();
  return straight;
}

TForbidden ForbiddenOnTop(TStonesOnTop& stones, int square);

// Whether the stone on `square` makes a three along a line: a straight four is one allowed move
// away. `judgeExtra` false only asks whether a straight four is one move away at all.
bool ThreeAlong(TStonesOnTop& stones, int square, int step, bool judgeExtra) {
  for (int k = -kNear; k <= kNear; ++k) {
    const int extra = square + k * step;
    if (k == 0 || !stones.Empty(extra) || !MakesStraightFour(stones, square, extra, step)) continue;
    if (!judgeExtra || stones.Full() || ForbiddenOnTop(stones, extra) == TForbidden::None)
      return true;
  }
  return false;
}

// Black on the empty square `square` of `stones`.
TForbidden ForbiddenOnTop(TStonesOnTop& stones, int square) {
  stones.CountJudged();
  stones.Push(square);
  const auto decided = [&stones](TForbidden forbidden) {
    stones.Pop();
    return forbidden;
  };
  // 1. A five wins, whatever else the stone makes; then an overline is forbidden.
  std::array<int, 4> lengths{};
  for (int d = 0; d < 4; ++d) {
    lengths[d] = RunThrough(stones, square, kDirection[d]).Length();
    if (lengths[d] == 5) return decided(TForbidden::None);
  }
  for (int length : lengths)
    if (length > 5) return decided(TForbidden::Overline);
  // 2. Two fours. A line with a four holds no three of the same stone.
  int fours = 0, threeLines = 0;
  std::array<int, 4> maybeThree{};
  for (int d = 0; d < 4; ++d) {
    const int along = FoursAlong(stones, square, kDirection[d]);
    fours += along;
    if (fours >= 2) return decided(TForbidden::FourFour);
    if (along == 0 && ThreeAlong(stones, square, kDirection[d], false))
      maybeThree[threeLines++] = kDirection[d];
  }
  // 3. Two threes, each judged by whether its straight-four square is allowed (the recursion,
  // only run when two lines could be threes at all).
  if (threeLines < 2) return decided(TForbidden::None);
  int threes = 0;
  for (int i = 0; i < threeLines && threes < 2; ++i)
    threes += ThreeAlong(stones, square, maybeThree[i], true) ? 1 : 0;
  return decided(threes >= 2 ? TForbidden::ThreeThree : TForbidden::None);
}

}  // namespace

TForbidden ForbiddenKind(const TDeepBoard& board, TSquareIndex square) {
  if (!board.IsEmpty(square)) return TForbidden::None;
  // 1. The board's patterns for black see every five exactly and every four and three with a
  // few more besides (a three whose four squares are forbidden, a five that is an overline
  // beyond their reach). A square with a five, or with fewer than two lines of a three or more
  // and no line of two fours, can only be an overline.
  if (board.Rule() != TRule::Freestyle) {
    int strongLines = 0;
    bool twoFoursOnALine = false;
    for (int d = 0; d < 4; ++d) {
      const TPattern pattern = board.LinePattern(square, 0, d);
      if (pattern == PFive) return TForbidden::None;
      strongLines += pattern >= PFlex3;
      twoFoursOnALine = twoFoursOnALine || pattern == PFlex4;
    }
    if (strongLines < 2 && !twoFoursOnALine) {
      TStonesOnTop stones(board);
      stones.Push(square);
      for (int d = 0; d < 4; ++d)
        if (RunThrough(stones, square, kDirection[d]).Length() > 5) return TForbidden::Overline;
      return TForbidden::None;
    }
  }
  // 2. The whole look at the lines.
  TStonesOnTop stones(board);
  return ForbiddenOnTop(stones, square);
}

TSquareIndex FindAllowedClass(const TDeepBoard& board, int side, TPattern4 cls,
                              TSquareIndex around) {
  const TSquareIndex first = board.FindClass(side, cls, around);
  if (first == kNoSquare || !ForbiddenFor(board, side, first)) return first;
  TSquareIndex found = kNoSquare;
  ForEachSquare(board.ThreatSquares(side), [&](TSquareIndex square) {
    if (found == kNoSquare && board.Class(square, side) >= cls && !IsForbidden(board, square))
      found = square;
  });
  return found;
}

TSquareIndex AnyAllowedSquare(const TDeepBoard& board, int side) {
  const TDeepBoard::TArea area = board.StoneArea(2);
  for (int y = area.MinY; y <= area.MaxY; ++y)
    for (int x = area.MinX; x <= area.MaxX; ++x)
      if (const TSquareIndex square = SquareAt(x, y);
          board.IsEmpty(square) && !ForbiddenFor(board, side, square))
        return square;
  for (int y = 0; y < board.Height(); ++y)
    for (int x = 0; x < board.Width(); ++x)
      if (const TSquareIndex square = SquareAt(x, y);
          board.IsEmpty(square) && !ForbiddenFor(board, side, square))
        return square;
  return kNoSquare;
}

}  // namespace zarvo::deep
