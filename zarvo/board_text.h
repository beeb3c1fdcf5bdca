// A game board drawn as text for a terminal, with the coordinates round it.
#pragma once

#include <ostream>
#include <vector>

#include "match/game_rules.h"

namespace zarvo::tool {

// X across the top, Y down the left, two characters a square: 'x', 'o', '.' for empty; the
// squares in `marked` in upper case.
void PrintBoard(std::ostream& out, const match::TGameBoard& board,
                const std::vector<TSquare>& marked);

}  // namespace zarvo::tool
