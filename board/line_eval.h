// Incremental evaluation: every empty square's line classes, top classes, line sums and move
// values, kept current by rescanning only the squares a new stone can change.
#pragma once

#include <array>
#include <cstdint>

#include "board/position.h"
#include "board/stones.h"
#include "board/threat_lists.h"

namespace zarvo {

// Indexed by line class: its weight in a square's LineSum.
inline constexpr std::array<int32_t, 9> ClassWeight{0, 1, 1, 20, 20, 100, 110, 1000, 10000};
// Indexed by side slot: the other slot.
inline constexpr std::array<uint8_t, 2> OtherSide{1, 0};

inline constexpr int kAllDirections = -1;

// Recomputes one square: direction d only (0..3) or all four (any other d). With lists given,
// the square's threat-list membership follows its new TopClass. Off-board squares are ignored;
// on an occupied square only Value is reset.
void RescanSquare(int d, int x, int y, TThreatLists* lists, TPosition& position);

// The square as RescanSquare over all four directions would leave it; the position is unchanged.
TCell RescannedCell(const TPosition& position, int x, int y);

// Evaluates every square, X outer and Y inner; fills the lists, which must be empty.
void RescanAll(TPosition& position, TThreatLists* lists);

// Places a stone and brings the evaluation (and, when given, the lists) up to date: the square
// leaves every list, then its 32 neighbours are rescanned, distance 1..4 outer, direction 0..3
// inner, the square ahead before the square behind.
void MakeMove(const TSideMaps& sides, uint8_t stone, int x, int y, TThreatLists* lists,
              TPosition& position);

}  // namespace zarvo
