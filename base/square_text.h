// A square as every protocol and tool writes it: "X,Y", X across and Y down from 0.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/square.h"

namespace zarvo {

std::string SquareText(int x, int y);
inline std::string SquareText(TSquare square) {
  return SquareText(square.X, square.Y);
}

// "X,Y": two decimal numbers (ParseDecimal), each within 32 bits, and nothing else. Whether the
// square is on the board is the caller's to check: a number is never cut to fit first.
std::optional<TSquare> ParseSquareText(std::string_view text);

}  // namespace zarvo
