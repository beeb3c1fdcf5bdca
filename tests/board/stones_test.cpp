#include "board/stones.h"

#include <gtest/gtest.h>

#include "base/random.h"

namespace zarvo {
namespace {

TEST(SideMaps, TableForEachSideToPlay) {
  struct Row {
    uint8_t Own, Opp;
    std::array<uint8_t, 2> SlotOfStone;  // of stones 1 and 2
    std::array<uint8_t, 2> StoneOfSlot, OppStoneOfSlot;
  } const rows[] = {
      {kStoneX, kStoneO, {0, 1}, {1, 2}, {2, 1}},
      {kStoneO, kStoneX, {1, 0}, {2, 1}, {1, 2}},
      {kEmpty, kEmpty, {0, 0}, {1, 0}, {2, 0}},  // "-": every stone is filed under slot 0
  };
  for (const Row& row : rows) {
    TSideMaps maps;
    maps.OwnStone = row.Own;
    SetSideMaps(maps);
    EXPECT_EQ(maps.OppStone, row.Opp);
    EXPECT_EQ(maps.SlotOfStone[1], row.SlotOfStone[0]);
    EXPECT_EQ(maps.SlotOfStone[2], row.SlotOfStone[1]);
    EXPECT_EQ(maps.StoneOfSlot, row.StoneOfSlot);
    EXPECT_EQ(maps.OppStoneOfSlot, row.OppStoneOfSlot);
  }
}

TEST(Random, SequenceOfTheLinearCongruentialGenerator) {
  TRandom rng(12345);
  EXPECT_EQ(rng.Random(10), 3);
  EXPECT_EQ(rng.Random(10), 2);
  EXPECT_EQ(rng.Random(3), 0);
  EXPECT_EQ(rng.Random(1000), 553);
  EXPECT_EQ(rng.Random(2), 1);

  TRandom fromZero(0);
  fromZero.Random(5);
  EXPECT_EQ(fromZero.State(), 1u);
  fromZero.Random(5);
  EXPECT_EQ(fromZero.State(), 134775814u);
  fromZero.Random(5);
  EXPECT_EQ(fromZero.State(), 3698175007u);  // wraps modulo 2^32
}

}  // namespace
}  // namespace zarvo
