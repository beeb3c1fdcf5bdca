// The positions games of a match start from: read from a file, or drawn at random.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "base/random.h"
#include "base/square.h"

namespace zarvo::match {

using TOpening = std::vector<TSquare>;  // stones in play order, x first

// One opening per line: squares "X,Y" separated by blanks, in play order, x first; '#' starts a
// comment, blank lines are skipped, and a line of
// just "-" is the empty board. Nothing, with the reason in error, for a bad square, two
// stones on one square, or an opening that already holds five in a row.
std::optional<std::vector<TOpening>> ParseOpenings(std::istream& in, std::string& error);

// Two to four stones, colours alternating from x, on distinct squares of the board's central
// 7 x 7 area (6 .. 12 on 20 x 20, 4 .. 10 on 15 x 15): neither side has more than two stones,
// so neither starts with a threat.
TOpening RandomOpening(TRandom& random, int boardSize);

}  // namespace zarvo::match
