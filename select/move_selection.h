// The search entry: chooses the one move of this run.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "select/engine_state.h"

namespace zarvo {

struct TMove {
  int8_t X = 0;
  int8_t Y = 0;
  friend bool operator==(const TMove&, const TMove&) = default;
};

// First empty square, X in the outer loop and Y in the inner; (9, 9) on a full board.
TMove FirstEmptySquare(const TPosition& position);

// The move for the side to play in the position as read from the board file.
TMove FindMove(TEngineState& state, const TPosition& position);

}  // namespace zarvo
