// The line patterns of one empty square (the centre of an 11-square line) for both rules.
#include "deep/patterns.h"

#include <gtest/gtest.h>

#include <string_view>

namespace zarvo::deep {
namespace {

// A line key from text: 11 characters, the centre (index 5) is the square being judged;
// "x" first player, "o" second, "#" beyond the board, anything else empty.
uint32_t KeyOf(std::string_view line) {
  uint32_t key = 0;
  for (int i = 0; i < 11; ++i) {
    const int offset = i - 5;
    if (offset == 0) continue;
    const uint32_t code = line[i] == 'x'   ? kCodeBlack
                          : line[i] == 'o' ? kCodeWhite
                          : line[i] == '#' ? kCodeWall
                                           : kCodeEmpty;
    key |= code << LineKeyShift(offset);
  }
  return key;
}

TEST(DeepPatterns, LinesForTheFirstPlayer) {
  struct Case {
    std::string_view Line;
    TPattern Freestyle, ExactlyFive;
  } const cases[] = {
      {"...xx?xx...", PFive, PFive},
      {"..xxx?x....", PFive, PFive},
      {"xxxxx?.....", PFive, PNone},  // six in a row
      {".xxxx?.....", PFive, PFive},  // exactly five, the sixth square empty
      {"..xxx?.....", PFlex4, PFlex4},
      {"x.xxx?.....", PFlex4, PBlock4},   // the far five would be six
      {".xx.x?.....", PBlock4, PBlock4},  // only the gap makes five
      {"..oxx?x....", PBlock4, PBlock4},
      {"..#xx?x....", PBlock4, PBlock4},  // the board's edge stops a line like a stone
      {"...xx?.....", PFlex3, PFlex3},
      {".x.x.?.x...", PFlex3, PFlex3},
      {"..o.x?x.o..", PBlock3, PBlock3},
      {"....x?.....", PFlex2, PFlex2},
      {"ooooo?ooooo", PNone, PNone},
      {"...ox?xo...", PNone, PNone},      // no room for five between the other side's stones
      {".xx.x?x....", PBlock4, PBlock3},  // the gap would make six
  };
  const TPatternTables& freestyle = TPatternTables::For(TRule::Freestyle);
  const TPatternTables& exact = TPatternTables::For(TRule::ExactlyFive);
  for (const Case& c : cases) {
    EXPECT_EQ(int{freestyle.Pattern(KeyOf(c.Line), 0)}, int{c.Freestyle}) << c.Line;
    EXPECT_EQ(int{exact.Pattern(KeyOf(c.Line), 0)}, int{c.ExactlyFive}) << c.Line;
  }
}

// Under renju black's lines read as exactly five's and white's as freestyle's: an overline is
// nothing to black and a five to white. Black's four-four and three-three are forbidden and worth
// nothing to it; white's win.
TEST(DeepPatterns, RenjuReadsBlackAsExactlyFiveAndWhiteAsFreestyle) {
  const TPatternTables& renju = TPatternTables::For(TRule::Renju);
  const TPatternTables& exact = TPatternTables::For(TRule::ExactlyFive);
  EXPECT_EQ(int{renju.Pattern(KeyOf(".xx.x?x...."), 0)}, int{PBlock3});
  EXPECT_EQ(int{renju.Pattern(KeyOf(".oo.o?o...."), 1)}, int{PBlock4});
  EXPECT_EQ(int{renju.Pattern(KeyOf("..xxx?x...."), 0)}, int{PFive});
  const auto packed = [](TPattern a, TPattern b, TPattern c = PNone) {
    return uint32_t{a} | uint32_t{b} << 4 | uint32_t{c} << 8;
  };
  const struct {
    uint32_t Packed;
    TPattern4 Black, White;
  } classes[] = {
      {packed(PBlock4, PBlock4), P4None, P4Flex4},
      {packed(PFlex4, PBlock4), P4None, P4Flex4},
      {packed(PFlex3, PFlex3), P4None, P4Flex3Double},
      {packed(PBlock4, PFlex3, PFlex3), P4None, P4Block4Flex3},
      {packed(PFive, PBlock4, PBlock4), P4Five, P4Five},
      {packed(PBlock4, PFlex3), P4Block4Flex3, P4Block4Flex3},
      {packed(PFlex4, PBlock3), P4Flex4, P4Flex4},
      {packed(PFlex3, PBlock3), P4Flex3Plus, P4Flex3Plus},
  };
  for (const auto& c : classes) {
    EXPECT_EQ(int{renju.Combine(c.Packed, 0)}, int{c.Black}) << c.Packed;
    EXPECT_EQ(int{renju.Combine(c.Packed, 1)}, int{c.White}) << c.Packed;
    EXPECT_EQ(int{exact.Combine(c.Packed, 0)}, int{c.White}) << c.Packed;
  }
}

TEST(DeepPatterns, TheSecondPlayerSeesTheSameShapesInItsOwnStones) {
  const TPatternTables& tables = TPatternTables::For(TRule::Freestyle);
  EXPECT_EQ(int{tables.Pattern(KeyOf("..ooo?....."), 1)}, int{PFlex4});
  EXPECT_LE(int{tables.Pattern(KeyOf("..ooo?....."), 0)}, int{PBlock1});
  EXPECT_EQ(int{tables.Pattern(KeyOf("..xoo?o.x.."), 1)}, int{PBlock4});
}

TEST(DeepPatterns, FourLinesMakeOneClass) {
  struct Case {
    TPattern A, B, C, D;
    TPattern4 Class;
  } const cases[] = {
      {PFive, PNone, PNone, PNone, P4Five},
      {PBlock4, PBlock4, PNone, PNone, P4Flex4},  // two fours win like an open four
      {PBlock4, PFlex3, PNone, PNone, P4Block4Flex3},
      {PBlock4, PFlex2, PNone, PNone, P4Block4Plus},
      {PFlex3, PFlex3, PNone, PNone, P4Flex3Double},
      {PFlex3, PBlock3, PNone, PNone, P4Flex3Plus},
      {PBlock3, PBlock3, PNone, PNone, P4Block3Plus},
      {PFlex2, PFlex1, PBlock1, PNone, P4Flex2},
      {PFlex1, PFlex1, PFlex1, PFlex1, P4None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(int{TPatternTables::CombineOf({c.A, c.B, c.C, c.D})}, int{c.Class})
        << int(c.A) << " " << int(c.B);
}

}  // namespace
}  // namespace zarvo::deep
