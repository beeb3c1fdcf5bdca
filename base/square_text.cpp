#include "base/square_text.h"

#include <cstdint>

#include "base/decimal_text.h"

namespace zarvo {

std::string SquareText(int x, int y) {
  return std::to_string(x) + "," + std::to_string(y);
}

std::optional<TSquare> ParseSquareText(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto x = ParseDecimalIn(text.substr(0, comma), INT32_MIN, INT32_MAX);
  const auto y = ParseDecimalIn(text.substr(comma + 1), INT32_MIN, INT32_MAX);
  if (!x || !y) return std::nullopt;
  return TSquare{static_cast<int32_t>(*x), static_cast<int32_t>(*y)};
}

}  // namespace zarvo
