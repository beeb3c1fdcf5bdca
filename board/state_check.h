// Checks of the incremental state against a recomputation from scratch. Debug and sanitizer
// builds run them after every move and stop the program at the first disagreement; a release
// build compiles them out.
#pragma once

#include "board/position.h"
#include "board/threat_lists.h"

namespace zarvo {

#if !defined(NDEBUG) || defined(ZARVO_CHECK_STATE)
inline constexpr bool kCheckState = true;
#else
inline constexpr bool kCheckState = false;
#endif

// Says on stderr what disagreed, and where, and aborts.
[[noreturn]] void StateCheckFailed(const char* what, int x, int y);

// The square (x, y) and the 32 squares a stone there rescans hold what a full rescan of each
// would give them.
void CheckEvaluationAround(const TPosition& position, int x, int y);

// Every list holds exactly the on-board squares whose TopClass names it, each once.
void CheckThreatLists(const TThreatLists& lists, const TPosition& position);

}  // namespace zarvo
