// The loss marker: when the engine, as second player, finds the game lost, it copies a small value
// from a state file that its neighbours keep into a marker file they read.
#pragma once

#include "select/engine_state.h"

namespace zarvo {

// Called when move selection reports the game lost. With an odd StoneCount, copies the value of
// "DiDeRo.zrv" (up to four little-endian bytes, missing bytes 0, a missing or unreadable file 0),
// clamped to 0..2, into "DiDeRoLose.zrv" as four little-endian bytes. With an even StoneCount no
// file is touched. Never fails: the move is written whatever happens to the marker.
void RecordLoss(const TEngineState& state) noexcept;

}  // namespace zarvo
