// One engine move computed in this process, exactly as Zarvo2 computes it from its files: the
// interface of every front end that is not the move-file program itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "board/position.h"
#include "driver/move_files.h"
#include "select/engine_state.h"
#include "select/move_selection.h"

namespace zarvo {

struct TEngineOptions {
  std::string ProgramPath;          // as argument 0 of Zarvo2: gives the book base name
  std::optional<uint32_t> Seed;     // none: from the high-resolution counter
  std::optional<int64_t> BudgetMs;  // none: "TimeOuts.dat" of the state's WorkDir, or one hour
  std::optional<int32_t> MaxDepth;  // overrides the depth the budget gives
};

// Says on stderr what the exception being handled was: "zarvo: FAILED failed (what); INSTEAD".
// Only inside a catch block.
void ReportCurrentFailure(const char* failed, const char* instead) noexcept;

// FindMove; when the search fails, the first empty square, so a legal square is still answered.
// Debug and sanitizer builds first say on stderr what was thrown: a failed search is a fault to
// see, not to hide.
TSquare FindMoveOrFirstEmpty(TEngineState& state, const TPosition& position) noexcept;

// Reads the board as "Plocha.dat" is read (side: a stone code, or -1 when none is named), sets
// up the engine and chooses the move. The state must be fresh; its clock starts here unless the
// caller started it, and afterwards it holds what the move found (counters, StoneCount). A game
// found lost leaves the loss marker in the state's WorkDir, as Zarvo2 does.
TSquare PlayPosition(TEngineState& state, int side, const TBoardText& board,
                     const TEngineOptions& options);

}  // namespace zarvo
