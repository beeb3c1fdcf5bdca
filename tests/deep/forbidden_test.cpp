// Black's forbidden moves under renju: a table of positions and random ones, each judged again
// by the plain reading of the rule in tests/deep/plain_renju.h.
#include "deep/forbidden.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/random.h"
#include "tests/deep/deep_test_support.h"
#include "tests/deep/plain_renju.h"

namespace zarvo::deep {
namespace {

using testing::PlainForbidden;
using testing::PlainOf;
using testing::TPlainBoard;

struct TForbiddenCase {
  const char* Name;
  std::vector<std::string_view> Rows;  // '?' is the square judged
  TForbidden Kind;
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
      {"three-three", {".", ".", ".", "....x", "....x", "..xx?", "."}, TForbidden::ThreeThree},
      {"three-three of split threes",
       {".", ".", "....x", ".", "....x", "...x?.x", "."},
       TForbidden::ThreeThree},
      {"three and a closed three",
       {".", ".", ".", "....x", "....x", ".oxx?", "."},
       TForbidden::None},
      {"four-four", {".", "....o", "....x", "....x", "....x", "oxxx?", "."}, TForbidden::FourFour},
      {"four-four on one line", {".", ".", ".x.x?x.x", "."}, TForbidden::FourFour},
      {"four-four on one line, three apart", {".", ".", ".xxx.?.xxx", "."}, TForbidden::FourFour},
      {"four-three", {".", ".", ".", "....x", "....x", "oxxx?", "."}, TForbidden::None},
      {"straight four alone", {".", ".", "..xx?x..", "."}, TForbidden::None},
      {"overline", {".", ".", ".xxx?xx", "."}, TForbidden::Overline},
      {"overline that is only a six away", {".", ".", ".xx?xxx", "."}, TForbidden::Overline},
      {"five beats a three-three",
       {".", ".", "....x", "....x", "..xx?", "....x", "....x"},
       TForbidden::None},
      {"five beats an overline",
       {".", ".", "....x", "....x", "xxxx?xx", "....x", "....x"},
       TForbidden::None},
      {"a three whose fours would be overlines is none",
       {".", ".", ".", ".....x", ".....x", "x..xx?..x", "."},
       TForbidden::None},
      // The horizontal three's only straight-four square, 6,7, would make two fours once 5,7 is
      // black: no three, so the vertical three is alone. Without the closed vertical four
      // there, a three-three.
      {"three whose straight-four square is forbidden",
       {".", ".", ".", "......o", "......x", ".....xx", ".....xx", ".o.xx?", "."},
       TForbidden::None},
      {"three whose straight-four square is allowed",
       {".", ".", ".", ".", ".", ".....x", ".....x", ".o.xx?", "."},
       TForbidden::ThreeThree},
      // Two levels: the horizontal three needs 5,7, which would make a four and two threes
      // (column 5 and the rising diagonal) unless the diagonal's only straight-four square,
      // 4,8, is itself forbidden (two fours). It is, so 5,7 is a four-three and allowed, the
      // horizontal three counts and 4,7 makes a three-three. Without white's 9,3 the diagonal
      // may use 8,4 too: 5,7 becomes forbidden and 4,7 allowed.
      {"two levels down: forbidden",
       {".", ".", ".", ".........o", ".", "....x..x", "....x.x", "o.xx?.", ".....x", ".....x"},
       TForbidden::ThreeThree},
      {"two levels down: allowed",
       {".", ".", ".", ".", ".", "....x..x", "....x.x", "o.xx?.", ".....x", ".....x"},
       TForbidden::None},
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
      const bool forbidden = c.Kind != TForbidden::None;
      EXPECT_EQ(ForbiddenKind(*board, square), c.Kind) << c.Name;
      EXPECT_EQ(ForbiddenFor(*board, 0, square), forbidden && rule == TRule::Renju) << c.Name;
      EXPECT_FALSE(ForbiddenFor(*board, 1, square)) << c.Name;
      EXPECT_EQ(PlainForbidden(PlainOf(*board), SquareX(square), SquareY(square)), forbidden)
          << c.Name << " (plain)";
    }
  }
}

// Random positions dense with black stones, every empty square judged both ways.
TEST(Forbidden, AgreesWithThePlainReadingOnRandomPositions) {
  TRandom random(0x2545F491u);
  const auto next = [&random](int bound) { return random.Random(bound); };
  testing::plainThreesRefused = 0;
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
  EXPECT_GT(testing::plainThreesRefused, 20);
}

}  // namespace
}  // namespace zarvo::deep
