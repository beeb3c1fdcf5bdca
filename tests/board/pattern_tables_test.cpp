#include "board/pattern_tables.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(PatternTables, WindowClassRuleReproducesTheTable) {
  constexpr uint8_t kTable[128] = {
      0, 0, 1, 1, 1, 1, 3, 2, 1, 1, 3, 2, 3, 3, 5, 4,  //
      1, 1, 3, 2, 3, 3, 5, 4, 3, 3, 5, 4, 5, 5, 7, 6,  //
      1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4, 5, 5, 6, 6,  //
      3, 3, 4, 4, 5, 5, 6, 6, 5, 5, 6, 6, 7, 7, 8, 8,  //
      0, 0, 1, 1, 1, 1, 3, 2, 1, 1, 3, 2, 3, 2, 5, 4,  //
      1, 1, 3, 2, 3, 2, 5, 4, 3, 2, 5, 4, 5, 4, 7, 6,  //
      1, 1, 2, 2, 2, 2, 4, 4, 2, 2, 4, 4, 4, 4, 6, 6,  //
      2, 2, 4, 4, 4, 4, 6, 6, 4, 4, 6, 6, 6, 6, 8, 8,
  };
  for (int i = 0; i < 128; ++i) EXPECT_EQ(WindowClass[i], kTable[i]) << "index " << i;
  EXPECT_EQ(WindowClass[34], kClassClosedTwo);  // own at w1 and w5
  EXPECT_EQ(WindowClass[30], kClassOpenFour);   // w1..w4, nothing blocked
  EXPECT_EQ(WindowClass[31], kClassFour);       // the same with w0 blocked
}

TEST(PatternTables, PairClassExamples) {
  BuildPairClass();
  struct Case {
    unsigned Own, Blocking;
    uint8_t Class;
    const char* What;
  } const cases[] = {
      {0x010, 0x000, kClassOne, "only the judged square"},
      {0x01E, 0x000, kClassOpenFour, "offsets -3..0, free"},
      {0x01E, 0x001, kClassFour, "offsets -3..0, opponent on -4"},
      {0x01F, 0x000, kClassFive, "offsets -4..0"},
      {0x03F, 0x000, kClassFive, "six in a row"},
      {0x01E, 0x010, kClassNone, "blocked on the judged square"},
      {0x1FF, 0x010, kClassNone, "blocked on the judged square, all own"},
      {0x110, 0x000, kClassClosedTwo, "offsets 0 and +4: two stones spread over a whole window"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PairClass[c.Own][c.Blocking], c.Class) << c.What;
    EXPECT_EQ(SegmentClass(c.Own, c.Blocking), c.Class) << c.What;
  }
  for (unsigned b = 0; b < kPairMasks; ++b) EXPECT_EQ(PairClass[512][b], PairClass[0][b]) << b;
}

}  // namespace
}  // namespace zarvo
