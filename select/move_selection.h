// The search entry: chooses the one move of this run.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "search/search_state.h"
#include "select/engine_state.h"

namespace zarvo {

// First empty square, X in the outer loop and Y in the inner; (9, 9) on a full board.
TSquare FirstEmptySquare(const TPosition& position);

// The first player's second stone, tested against the opponent's reply (rx, ry): a square that
// answers a diagonal reply, and one that answers a direct reply.
bool DiagonalThird(int x, int y, int rx, int ry);
bool DirectThird(int x, int y, int rx, int ry);

// Narrows the level-1 scores in the opening: when the opponent threatens an open four only
// squares where a side makes a four or more stay candidates; otherwise quiet empty squares of
// the candidate area become eligible.
void ShapeOpeningScores(const TCell& top, TPosition& position);

// The first steps of the general case: the levels' sides, the candidate margin, the level-1
// position (around the opponent's stones when three stones stand) and its candidates, best first,
// in LevelCandidates[1]. The threat lists must describe W.
void PrepareLevelOne(TEngineState& state, TMoveContext& context);

// The decision of one move on the evaluated position W (the threat lists describe it).
TSquare SelectMove(TEngineState& state, TMoveContext& context);

// The move for the side to play in the position as read from the board file. The threat lists
// and the square pool live for this call only. A game it finds lost sets state.GameLost.
TSquare FindMove(TEngineState& state, const TPosition& position);

}  // namespace zarvo
