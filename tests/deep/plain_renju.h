// A plain reading of renju's forbidden moves for the tests, apart from deep/forbidden: a board
// of its own, a stone placed, the lines counted square by square and the recursion done on
// copies. Slow and obvious on purpose.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "deep/deep_board.h"

namespace zarvo::deep::testing {

// A plain board: 0 empty, 1 black, 2 white, 3 off the board.
class TPlainBoard {
 public:
  explicit TPlainBoard(int size) : size_(size), cells_(static_cast<std::size_t>(size * size)) {}

  int At(int x, int y) const {
    return x < 0 || y < 0 || x >= size_ || y >= size_ ? 3 : cells_[Index(x, y)];
  }
  void Set(int x, int y, int stone) { cells_[Index(x, y)] = stone; }
  int Size() const { return size_; }

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * size_ + x); }
  int size_;
  std::vector<int> cells_;
};

constexpr int kLineDx[4] = {1, 0, 1, 1}, kLineDy[4] = {0, 1, 1, -1};

// Black stones in a row through x,y (black itself) along a line.
inline int BlackLength(const TPlainBoard& board, int x, int y, int d) {
  int length = 1;
  for (int sign = -1; sign <= 1; sign += 2)
    for (int k = 1; board.At(x + sign * k * kLineDx[d], y + sign * k * kLineDy[d]) == 1; ++k)
      ++length;
  return length;
}

// Lines whose only straight-four squares were forbidden, over every call: the random positions
// must reach the recursion.
inline int64_t plainThreesRefused = 0;

bool PlainForbidden(TPlainBoard board, int x, int y);

// Whether the black stone on x,y (placed) makes a three along the line: a six-square window
// along it whose ends are empty, whose middle four are black but one empty square e (one of
// them x,y), where a black e makes both ends an exact five, and e is allowed.
inline bool PlainThree(const TPlainBoard& board, int x, int y, int d) {
  bool refused = false;
  for (int start = -5; start <= 0; ++start) {
    const auto at = [&](int k) {
      return std::pair{x + (start + k) * kLineDx[d], y + (start + k) * kLineDy[d]};
    };
    const auto [x0, y0] = at(0);
    const auto [x5, y5] = at(5);
    if (board.At(x0, y0) != 0 || board.At(x5, y5) != 0) continue;
    int empties = 0, ex = 0, ey = 0;
    for (int k = 1; k <= 4; ++k) {
      const auto [cx, cy] = at(k);
      if (board.At(cx, cy) == 0) {
        ++empties;
        ex = cx;
        ey = cy;
      } else if (board.At(cx, cy) != 1) {
        empties = 9;
      }
    }
    if (empties != 1) continue;
    TPlainBoard four = board;
    four.Set(ex, ey, 1);
    bool straight = true;
    for (const auto& [fx, fy] : {std::pair{x0, y0}, std::pair{x5, y5}}) {
      TPlainBoard five = four;
      five.Set(fx, fy, 1);
      straight = straight && BlackLength(five, fx, fy, d) == 5;
    }
    if (!straight) continue;
    if (!PlainForbidden(board, ex, ey)) return true;
    refused = true;
  }
  plainThreesRefused += refused;
  return false;
}

inline bool PlainForbidden(TPlainBoard board, int x, int y) {
  if (board.At(x, y) != 0) return false;
  board.Set(x, y, 1);
  bool overline = false;
  for (int d = 0; d < 4; ++d) {
    if (BlackLength(board, x, y, d) == 5) return false;
    overline = overline || BlackLength(board, x, y, d) > 5;
  }
  if (overline) return true;
  int fours = 0, threes = 0;
  for (int d = 0; d < 4; ++d) {
    // The squares of the line that make an exact five with x,y.
    std::vector<int> fives;
    for (int k = -5; k <= 5; ++k) {
      const int fx = x + k * kLineDx[d], fy = y + k * kLineDy[d];
      if (board.At(fx, fy) != 0) continue;
      TPlainBoard five = board;
      five.Set(fx, fy, 1);
      if (BlackLength(five, x, y, d) == 5) fives.push_back(k);
    }
    // A straight four's two ends are one four.
    const bool straight = fives.size() == 2 && fives[1] - fives[0] == 5;
    fours += straight ? 1 : static_cast<int>(fives.size());
    if (fives.empty() && PlainThree(board, x, y, d)) ++threes;
  }
  return fours >= 2 || threes >= 2;
}

inline TPlainBoard PlainOf(const TDeepBoard& board) {
  TPlainBoard plain(board.Width());
  for (int y = 0; y < board.Height(); ++y)
    for (int x = 0; x < board.Width(); ++x)
      plain.Set(x, y,
                board.At(SquareAt(x, y)) == kBlack   ? 1
                : board.At(SquareAt(x, y)) == kWhite ? 2
                                                     : 0);
  return plain;
}

// Whether a stone of `side` (0 black, 1 white) on the empty x,y wins under renju: black by
// exactly five, white by five or more.
inline bool PlainFive(TPlainBoard board, int x, int y, int side) {
  if (board.At(x, y) != 0) return false;
  board.Set(x, y, side + 1);
  for (int d = 0; d < 4; ++d) {
    int length = 1;
    for (int sign = -1; sign <= 1; sign += 2)
      for (int k = 1; board.At(x + sign * k * kLineDx[d], y + sign * k * kLineDy[d]) == side + 1;
           ++k)
        ++length;
    if (side == 0 ? length == 5 : length >= 5) return true;
  }
  return false;
}

}  // namespace zarvo::deep::testing
