#include "driver/swap2.h"

#include <algorithm>
#include <vector>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/position.h"

namespace zarvo {
namespace {

// Opener shapes as steps from the centre, black, white, black: the black stones lie apart or
// are closed by the white one, so neither side starts with more than a two.
constexpr std::array<std::array<TSquare, 3>, 4> kOpeningShapes{{
    {{{0, 0}, {1, 1}, {2, -1}}},
    {{{0, 0}, {1, -1}, {-1, 2}}},
    {{{0, 0}, {1, 1}, {-1, -1}}},
    {{{0, 0}, {1, 0}, {-1, 0}}},
}};

}  // namespace

std::array<TSquare, 3> Swap2OpeningStones(uint32_t draw, int width, int height) {
  // The centre square, or the one left of and above the centre point on an even side.
  const TSquare centre{(width - 1) / 2, (height - 1) / 2};
  std::array<TSquare, 3> stones = kOpeningShapes[draw % kOpeningShapes.size()];
  for (TSquare& stone : stones) stone = {centre.X + stone.X, centre.Y + stone.Y};
  return stones;
}

int32_t InitiativeBalance(std::span<const TSquare> stones, int width, int height) {
  width = std::clamp(width, 1, kBoardSize);
  height = std::clamp(height, 1, kBoardSize);
  // 1. The stones that can stand; colours alternate over those, black (x, the first player) first.
  std::vector<TSquare> placed;
  for (const TSquare& stone : stones) {
    const bool onBoard = stone.X >= 0 && stone.X < width && stone.Y >= 0 && stone.Y < height;
    const bool taken = std::find(placed.begin(), placed.end(), stone) != placed.end();
    if (onBoard && !taken) placed.push_back(stone);
  }
  // 2. The evaluation with the side to move in slot 0, on the board's own squares: beyond its
  //    edges lie walls, so a line towards an edge is closed there as on 20 x 20.
  BuildPairClass();
  TSideMaps sides;
  sides.OwnStone = placed.size() % 2 == 0 ? kStoneX : kStoneO;
  SetSideMaps(sides);
  TPosition position{};
  InitPosition(position);
  WallOffBeyond(position, width, height);
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
