#include "base/decimal_text.h"

#include <charconv>
#include <system_error>

namespace zarvo {

std::optional<int64_t> ParseDecimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (error == std::errc::result_out_of_range || magnitude > static_cast<uint64_t>(INT64_MAX))
    magnitude = INT64_MAX;
  else if (error != std::errc{} || end != text.data() + text.size())
    return std::nullopt;
  const auto value = static_cast<int64_t>(magnitude);
  return negative ? -value : value;
}

std::optional<int64_t> ParseDecimalIn(std::string_view text, int64_t low, int64_t high) {
  const std::optional<int64_t> value = ParseDecimal(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

std::optional<int64_t> ParseDigits(std::string_view text, int64_t high) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
  return ParseDecimalIn(text, 0, high);
}

}  // namespace zarvo
