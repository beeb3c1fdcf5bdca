// Black's forbidden moves under renju: a table of positions and random ones, each judged again
// by a plain reading of the rule on a board of its own (a stone placed, the lines counted square
// by square, the recursion done on copies).
#include "deep/forbidden.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/deep/deep_test_support.h"

namespace zarvo::deep {
namespace {

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
int BlackLength(const TPlainBoard& board, int x, int y, int d) {
  int length = 1;
  for (int sign = -1; sign <= 1; sign += 2)
    for (int k = 1; board.At(x + sign * k * kLineDx[d], y + sign * k * kLineDy[d]) == 1; ++k)
      ++length;
  return length;
}

// Lines whose only straight-four squares were forbidden, over every call: the random positions
// must reach the recursion.
int64_t plainThreesRefused = 0;

bool PlainForbidden(TPlainBoard board, int x, int y);

// Whether the black stone on x,y (placed) makes a three along the line: a six-square window
// along it whose ends are empty, whose middle four are black but one empty square e (one of
// them x,y), where a black e makes both ends an exact five, and e is allowed.
bool PlainThree(const TPlainBoard& board, int x, int y, int d) {
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

bool PlainForbidden(TPlainBoard board, int x, int y) {
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

TPlainBoard PlainOf(const TDeepBoard& board) {
  TPlainBoard plain(board.Width());
  for (int y = 0; y < board.Height(); ++y)
    for (int x = 0; x < board.Width(); ++x)
      plain.Set(x, y,
                board.At(SquareAt(x, y)) == kBlack   ? 1
                : board.At(SquareAt(x, y)) == kWhite ? 2
                                                     : 0);
  return plain;
}

struct TForbiddenCase {
  const char* Name;
  std::vector<std::string_view> Rows;  // '?' is the square judged
  bool Forbidden;
};

// The rows' '?' square.
TSquareIndex Marked(const std::vector<std::string_view>& rows) {
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    if (const auto x = rows[y].find('?'); x != std::string_view::npos)
      return SquareAt(static_cast<int>(x), y);
  return kNoSquare;
}

TEST(Forbidden, TableOfPositions) {
  const std::vector<TForbiddenCase> cases = {
      {"three-three", {".", ".", ".", "....x", "....x", "..xx?", "."}, true},
      {"three-three of split threes", {".", ".", "....x", ".", "....x", "...x?.x", "."}, true},
      {"three and a closed three", {".", ".", ".", "....x", "....x", ".oxx?", "."}, false},
      {"four-four", {".", "....o", "....x", "....x", "....x", "oxxx?", "."}, true},
      {"four-four on one line", {".", ".", ".x.x?x.x", "."}, true},
      {"four-four on one line, three apart", {".", ".", ".xxx.?.xxx", "."}, true},
      {"four-three", {".", ".", ".", "....x", "....x", "oxxx?", "."}, false},
      {"straight four alone", {".", ".", "..xx?x..", "."}, false},
      {"overline", {".", ".", ".xxx?xx", "."}, true},
      {"overline that is only a six away", {".", ".", ".xx?xxx", "."}, true},
      {"five beats a three-three", {".", ".", "....x", "....x", "..xx?", "....x", "....x"}, false},
      {"five beats an overline", {".", ".", "....x", "....x", "xxxx?xx", "....x", "....x"}, false},
      {"a three whose fours would be overlines is none",
       {".", ".", ".", ".....x", ".....x", "x..xx?..x", "."},
       false},
      // The horizontal three's only straight-four square, 6,7, would make two fours once 5,7 is
      // black: no three, so the vertical three is alone. Without the closed vertical four
      // there, a three-three.
      {"three whose straight-four square is forbidden",
       {".", ".", ".", "......o", "......x", ".....xx", ".....xx", ".o.xx?", "."},
       false},
      {"three whose straight-four square is allowed",
       {".", ".", ".", ".", ".", ".....x", ".....x", ".o.xx?", "."},
       true},
      // Two levels: the horizontal three needs 5,7, which would make a four and two threes
      // (column 5 and the rising diagonal) unless the diagonal's only straight-four square,
      // 4,8, is itself forbidden (two fours). It is, so 5,7 is a four-three and allowed, the
      // horizontal three counts and 4,7 makes a three-three. Without white's 9,3 the diagonal
      // may use 8,4 too: 5,7 becomes forbidden and 4,7 allowed.
      {"two levels down: forbidden",
       {".", ".", ".", ".........o", ".", "....x..x", "....x.x", "o.xx?.", ".....x", ".....x"},
       true},
      {"two levels down: allowed",
       {".", ".", ".", ".", ".", "....x..x", "....x.x", "o.xx?.", ".....x", ".....x"},
       false},
  };
  for (const auto& c : cases) {
    const TSquareIndex square = Marked(c.Rows);
    ASSERT_NE(square, kNoSquare) << c.Name;
    for (const TRule rule : {TRule::Renju, TRule::Freestyle}) {
      auto board = std::make_unique<TDeepBoard>(
          testing::BoardOf(std::initializer_list<std::string_view>{}, 'x', 15, rule));
      for (int y = 0; y < static_cast<int>(c.Rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(c.Rows[y].size()); ++x)
          if (c.Rows[y][x] == 'x' || c.Rows[y][x] == 'o')
            board->Place(SquareAt(x, y), c.Rows[y][x] == 'x' ? 0 : 1);
      EXPECT_EQ(IsForbidden(*board, square), c.Forbidden) << c.Name;
      EXPECT_EQ(ForbiddenFor(*board, 0, square), c.Forbidden && rule == TRule::Renju) << c.Name;
      EXPECT_FALSE(ForbiddenFor(*board, 1, square)) << c.Name;
      EXPECT_EQ(PlainForbidden(PlainOf(*board), SquareX(square), SquareY(square)), c.Forbidden)
          << c.Name << " (plain)";
    }
  }
}

// Random positions dense with black stones, every empty square judged both ways.
TEST(Forbidden, AgreesWithThePlainReadingOnRandomPositions) {
  uint64_t state = 0x2545F4914F6CDD1Dull;
  const auto next = [&state](int bound) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<int>(state % static_cast<uint64_t>(bound));
  };
  plainThreesRefused = 0;
  int forbidden = 0, judged = 0;
  for (int game = 0; game < 800; ++game) {
    auto board = std::make_unique<TDeepBoard>(15, 15, TRule::Renju);
    const int blacks = 8 + next(30), whites = next(blacks);
    const int spread = 5 + next(6);  // a square of spread x spread around the centre
    for (int i = 0; i < blacks + whites; ++i) {
      const TSquareIndex square =
          SquareAt(7 - spread / 2 + next(spread), 7 - spread / 2 + next(spread));
      if (board->IsEmpty(square)) board->Place(square, i < blacks ? 0 : 1);
    }
    const TPlainBoard plain = PlainOf(*board);
    for (int y = 0; y < 15; ++y) {
      for (int x = 0; x < 15; ++x) {
        if (!board->IsEmpty(SquareAt(x, y))) continue;
        const bool fast = IsForbidden(*board, SquareAt(x, y));
        ASSERT_EQ(fast, PlainForbidden(plain, x, y)) << "game " << game << " at " << x << "," << y;
        forbidden += fast;
        ++judged;
      }
    }
  }
  // The positions reach every part of the rule, the recursion among them.
  EXPECT_GT(forbidden, judged / 100);
  EXPECT_GT(plainThreesRefused, 20);
}

}  // namespace
}  // namespace zarvo::deep
