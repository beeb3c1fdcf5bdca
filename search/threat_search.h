// The threat search: the negamax value of one candidate move, its tree cut by threat rules.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "search/search_state.h"

namespace zarvo {

// Sum over the 32 squares around (x, y) of the mover's positive line sums minus the other side's.
// Border cells are read as they are (their sums are zero).
int32_t ThreatBalance(const TPosition& position, int x, int y, uint8_t mover);

// Plays the current level's move from Levels[p] into Levels[p + 1], sets LevelTally[p] and brings
// the threat lists to the new position.
void PlaySearchMove(TSearchEnvironment& state, TMoveContext& context);

// Value of the move in PlayedX/PlayedY of the current level for the side that makes it. bound is
// what the mover already has from another move (the replies cut once the value drops strictly
// below it); replyBound what the replying side has two levels up. CurrentLevel, SideIndex and the
// threat lists are as on entry when it returns, also when an exception passes.
int32_t ThreatSearch(TSearchEnvironment& state, TMoveContext& context, int32_t replyBound,
                     int32_t bound);

}  // namespace zarvo
