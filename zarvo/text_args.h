// Small parsers of command-line words shared by the zarvo subcommands.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/square.h"
#include "board/position.h"

namespace zarvo::tool {

// A whole decimal number, nothing else.
inline std::optional<int64_t> ParseNumber(std::string_view text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// "X,Y" with both coordinates on the board.
inline std::optional<TSquare> ParseSquare(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto x = ParseNumber(text.substr(0, comma));
  const auto y = ParseNumber(text.substr(comma + 1));
  if (!x || !y || !OnBoard(static_cast<int>(*x), static_cast<int>(*y))) return std::nullopt;
  return TSquare{static_cast<int32_t>(*x), static_cast<int32_t>(*y)};
}

}  // namespace zarvo::tool
