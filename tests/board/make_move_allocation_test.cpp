// The make-a-move sequence runs at every search node: it must not touch the heap. The count of
// the program's allocations must not move while moves are made and undone.
#include <gtest/gtest.h>

#include "base/random.h"
#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "tests/allocation_counter.h"

namespace zarvo {
namespace {

TEST(MakeMove, AllocatesNothingWithOrWithoutLists) {
  BuildPairClass();
  TSideMaps sides;
  sides.OwnStone = kStoneX;
  SetSideMaps(sides);
  TThreatLists lists;
  TPosition position{};
  InitPosition(position);
  TRandom rng(5);

  const long before = testing::AllocationCount();
  RescanAll(position, &lists);
  uint8_t stone = kStoneX;
  for (int move = 0; move < 150; ++move) {
    int x, y;
    do {
      x = 3 + rng.Random(14);
      y = 3 + rng.Random(14);
    } while (position.Cell(x, y).Stone != kEmpty);
    // Look ahead in a copy without lists, then play it for real and step back once, as the
    // search does.
    TPosition lookAhead = position;
    MakeMove(sides, stone, x, y, nullptr, lookAhead);
    const TPosition earlier = position;
    MakeMove(sides, stone, x, y, &lists, position);
    SyncThreatLists(lists, x, y, position, earlier);
    SyncThreatLists(lists, x, y, earlier, position);
    stone = OppositeStone[stone];
  }
  const long made = testing::AllocationCount() - before;

  EXPECT_EQ(made, 0);
  // The counter works: a list built outside the search allocates.
  const long beforeList = testing::AllocationCount();
  TXYList list;
  // Its address escapes, so clang cannot elide the allocation of a list nobody reads.
  TXYList* volatile escaped = &list;
  static_cast<void>(escaped);
  EXPECT_GT(testing::AllocationCount(), beforeList);
  EXPECT_FALSE(lists.FourSquares[0].Empty() && lists.FourSquares[1].Empty());  // lists were used
}

}  // namespace
}  // namespace zarvo
