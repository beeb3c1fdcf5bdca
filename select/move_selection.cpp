#include "select/move_selection.h"

namespace zarvo {

TMove FirstEmptySquare(const TPosition& position) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (position.Cell(x, y).Stone == kEmpty)
        return {static_cast<int8_t>(x), static_cast<int8_t>(y)};
  return {9, 9};
}

TMove FindMove(TEngineState& state, const TPosition& position) {
  if (state.StoneCount == 0) return {9, 9};
  // Placeholder until move selection lands: any legal square.
  return FirstEmptySquare(position);
}

}  // namespace zarvo
