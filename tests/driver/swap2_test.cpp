// The swap2 choices: the balance measure on positions where the better side is plain, the
// thresholds, and the opener's shapes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <utility>
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
    const int32_t balance = InitiativeBalance(c.Stones, 20, 20);
    EXPECT_GE(balance, c.AtLeast) << c.What;
    EXPECT_LE(balance, c.AtMost) << c.What;
    // The measure has no favourite direction: the mirrored board stands the same.
    std::vector<TSquare> mirrored;
    for (const TSquare& stone : c.Stones)
      mirrored.push_back({static_cast<int8_t>(19 - stone.X), stone.Y});
    EXPECT_EQ(InitiativeBalance(mirrored, 20, 20), balance) << c.What;
  }
  // Stones off the board or given twice do not count, and the colours alternate over the rest.
  const TSquare broken[] = {{9, 9}, {9, 9}, {25, 3}, {-1, 0}};
  EXPECT_EQ(InitiativeBalance(broken, 20, 20), InitiativeBalance(std::span(broken, 1), 20, 20));
  // On 15 x 15, 15,3 is off the board like 20,3 is on 20 x 20.
  const TSquare offSmall[] = {{9, 9}, {15, 3}};
  EXPECT_EQ(InitiativeBalance(offSmall, 15, 15), InitiativeBalance(std::span(offSmall, 1), 15, 15));
}

// A smaller board's far edges close lines as its near edges do: a position against the right or
// bottom edge measures the same as its mirror image against the left or top one.
TEST(Swap2, SmallBoardEdgesCloseLines) {
  struct Case {
    const char* What;
    std::vector<TSquare> Stones;  // black first, against the near edges
  } const cases[] = {
      {"black's two against the left edge", {{1, 7}, {7, 3}, {0, 7}}},
      {"black's three against the top edge", {{7, 0}, {3, 7}, {7, 1}, {4, 9}, {7, 2}}},
      {"white's two in the corner", {{6, 6}, {0, 0}, {9, 3}, {1, 1}, {4, 10}}},
  };
  for (const auto& [width, height] : {std::pair{15, 15}, std::pair{16, 20}, std::pair{20, 17}}) {
    for (const Case& c : cases) {
      std::vector<TSquare> farEdges;
      for (const TSquare& stone : c.Stones)
        farEdges.push_back({width - 1 - stone.X, height - 1 - stone.Y});
      EXPECT_EQ(InitiativeBalance(farEdges, width, height),
                InitiativeBalance(c.Stones, width, height))
          << c.What << " on " << width << " x " << height;
    }
  }
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
// neither take a side nor play on. They lie around the centre of every board size.
TEST(Swap2, OpeningShapesAreEvenAndCentred) {
  for (const auto& [width, height] : {std::pair{20, 20}, std::pair{15, 15}, std::pair{15, 20}}) {
    for (uint32_t draw = 0; draw < 8; ++draw) {
      const auto stones = Swap2OpeningStones(draw, width, height);
      EXPECT_EQ(ChooseSwap2Step(3, InitiativeBalance(stones, width, height)), TSwap2Step::PlaceTwo)
          << draw << " on " << width << " x " << height;
      for (const TSquare& stone : stones) {
        EXPECT_LE(std::abs(2 * stone.X - (width - 1)), 5) << stone.X << " of " << width;
        EXPECT_LE(std::abs(2 * stone.Y - (height - 1)), 5) << stone.Y << " of " << height;
      }
    }
  }
  EXPECT_EQ(Swap2OpeningStones(0, 20, 20)[0], (TSquare{9, 9}));
}

}  // namespace
}  // namespace zarvo
