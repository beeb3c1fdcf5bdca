#include "driver/swap2.h"

#include <algorithm>
#include <vector>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/position.h"

namespace zarvo {
namespace {

// Opener shapes around the centre (9, 9), black, white, black: the black stones lie apart or
// are closed by the white one, so neither side starts with more than a two.
constexpr std::array<std::array<TSquare, 3>, 4> kOpeningShapes{{
    {{{9, 9}, {10, 10}, {11, 8}}},
    {{{9, 9}, {10, 8}, {8, 11}}},
    {{{9, 9}, {10, 10}, {8, 8}}},
    {{{9, 9}, {10, 9}, {8, 9}}},
}};

}  // namespace

std::array<TSquare, 3> Swap2OpeningStones(uint32_t draw) {
  return kOpeningShapes[draw % kOpeningShapes.size()];
}

int32_t InitiativeBalance(std::span<const TSquare> stones) {
  // 1. The stones that can stand; colours alternate over those, black (x, the first player) first.
  std::vector<TSquare> placed;
  for (const TSquare& stone : stones) {
    const bool taken = std::find(placed.begin(), placed.end(), stone) != placed.end();
    if (OnBoard(stone.X, stone.Y) && !taken) placed.push_back(stone);
  }
  // 2. The evaluation with the side to move in slot 0.
  BuildPairClass();
  TSideMaps sides;
  sides.OwnStone = placed.size() % 2 == 0 ? kStoneX : kStoneO;
  SetSideMaps(sides);
  TPosition position{};
  InitPosition(position);
  for (std::size_t i = 0; i < placed.size(); ++i)
    PlaceStone(sides, i % 2 == 0 ? kStoneX : kStoneO, placed[i].X, placed[i].Y, position);
  RescanAll(position, nullptr);

  // Slot 0 is the side to move, slot 1 its opponent.
  std::array<int32_t, 2> best{0, 0};
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const TCell& cell = position.Cell(x, y);
      if (cell.Stone != kEmpty) continue;
      for (int slot = 0; slot < 2; ++slot) best[slot] = std::max(best[slot], cell.LineSum[slot]);
    }
  }
  return best[0] - best[1];
}

TSwap2Step ChooseSwap2Step(int stoneCount, int32_t balance) {
  if (stoneCount == 5) return balance >= 0 ? TSwap2Step::Move : TSwap2Step::Swap;
  if (balance > kEvenBalance) return TSwap2Step::Move;
  if (balance < -kEvenBalance) return TSwap2Step::Swap;
  return TSwap2Step::PlaceTwo;
}

}  // namespace zarvo
