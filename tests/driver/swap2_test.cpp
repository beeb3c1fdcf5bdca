// The swap2 choices: the balance measure on positions where the better side is plain, the
// thresholds, and the opener's shapes.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "driver/swap2.h"

namespace zarvo {
namespace {

TEST(Swap2, BalanceFavoursTheSideWithTheBetterShape) {
  struct Case {
    const char* What;
    std::vector<TSquare> Stones;  // black first
    int32_t AtLeast;
    int32_t AtMost;
  } const cases[] = {
      {"empty board", {}, 0, 0},
      {"black's open two against a lone white stone", {{9, 9}, {0, 19}, {10, 9}}, -1000, -51},
      {"black's two closed by white", {{9, 9}, {10, 9}, {8, 9}}, -50, 50},
      {"white's open two, black's stones apart",
       {{0, 19}, {9, 9}, {19, 19}, {10, 9}, {19, 0}},
       1,
       1000},
      {"black's open three", {{9, 9}, {0, 19}, {10, 9}, {19, 19}, {11, 9}}, -10000, -101},
  };
  for (const Case& c : cases) {
    const int32_t balance = InitiativeBalance(c.Stones);
    EXPECT_GE(balance, c.AtLeast) << c.What;
    EXPECT_LE(balance, c.AtMost) << c.What;
    // The measure has no favourite direction: the mirrored board stands the same.
    std::vector<TSquare> mirrored;
    for (const TSquare& stone : c.Stones)
      mirrored.push_back({static_cast<int8_t>(19 - stone.X), stone.Y});
    EXPECT_EQ(InitiativeBalance(mirrored), balance) << c.What;
  }
  // Stones off the board or given twice do not count, and the colours alternate over the rest.
  const TSquare broken[] = {{9, 9}, {9, 9}, {25, 3}, {-1, 0}};
  EXPECT_EQ(InitiativeBalance(broken), InitiativeBalance(std::span(broken, 1)));
}

TEST(Swap2, StepsFollowTheBalance) {
  EXPECT_EQ(ChooseSwap2Step(3, kEvenBalance + 1), TSwap2Step::Move);
  EXPECT_EQ(ChooseSwap2Step(3, kEvenBalance), TSwap2Step::PlaceTwo);
  EXPECT_EQ(ChooseSwap2Step(3, -kEvenBalance), TSwap2Step::PlaceTwo);
  EXPECT_EQ(ChooseSwap2Step(3, -kEvenBalance - 1), TSwap2Step::Swap);
  EXPECT_EQ(ChooseSwap2Step(5, 0), TSwap2Step::Move);
  EXPECT_EQ(ChooseSwap2Step(5, -1), TSwap2Step::Swap);
}

// The opener's shapes are ones the choice itself calls even: offered to this engine, it would
// neither take a side nor play on.
TEST(Swap2, OpeningShapesAreEven) {
  for (uint32_t draw = 0; draw < 8; ++draw) {
    const auto stones = Swap2OpeningStones(draw);
    EXPECT_EQ(ChooseSwap2Step(3, InitiativeBalance(stones)), TSwap2Step::PlaceTwo) << draw;
  }
}

}  // namespace
}  // namespace zarvo
