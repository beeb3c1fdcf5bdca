// Hands a search level its candidates one by one, pruning deep levels to the moves that make or
// answer strong threats.
#pragma once

#include "board/position.h"
#include "search/search_state.h"

namespace zarvo {

// B lies on the row, column or a diagonal through A, at most four squares away (A = B counts).
constexpr bool InLine(const TCell& a, const TCell& b) {
  const int dx = a.X > b.X ? a.X - b.X : b.X - a.X;
  const int dy = a.Y > b.Y ? a.Y - b.Y : b.Y - a.Y;
  return dx < 5 && dy < 5 && (dx == dy || dx == 0 || dy == 0);
}

constexpr bool IsNear(const TCell& a, const TCell& b) {
  const int dx = a.X > b.X ? a.X - b.X : b.X - a.X;
  const int dy = a.Y > b.Y ? a.Y - b.Y : b.Y - a.Y;
  return dx < 5 && dy < 5;
}

// Fills the candidates of the current level from its position, ranked for the side to move.
void GenerateCandidates(TSearchEnvironment& state, TMoveContext& context);

// Whether a deep-level candidate continues its side's own attack (see NextCandidate).
bool IsRelevantReply(const TSearchEnvironment& state, const TCell& candidate);

// Places the next acceptable candidate of the current level into PlayedX/PlayedY; false when the
// level has none left. full: the level's list came from GenerateCandidates.
bool NextCandidate(TSearchEnvironment& state, TMoveContext& context, bool full);

}  // namespace zarvo
