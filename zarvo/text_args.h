// Small parsers of command-line words shared by the zarvo subcommands.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/decimal_text.h"
#include "base/square.h"
#include "base/square_text.h"
#include "board/position.h"

namespace zarvo::tool {

// A whole decimal number, nothing else.
inline std::optional<int64_t> ParseNumber(std::string_view text) {
  return ParseDecimal(text);
}

// "X,Y" with both coordinates on the board.
inline std::optional<TSquare> ParseSquare(std::string_view text) {
  const std::optional<TSquare> square = ParseSquareText(text);
  if (!square || !OnBoard(square->X, square->Y)) return std::nullopt;
  return square;
}

}  // namespace zarvo::tool
