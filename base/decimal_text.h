// The one reader of decimal numbers, for the engine's files, its front ends and its tools alike
// ("X,Y" squares: base/square_text.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zarvo {

// An optional '+' or '-', then decimal digits, nothing else (blanks around it are the caller's
// to trim). A value beyond 64 bits is clamped to +-(2^63 - 1), so a range check still calls it
// out of range rather than not a number.
std::optional<int64_t> ParseDecimal(std::string_view text);

// The same, empty unless low <= value <= high.
std::optional<int64_t> ParseDecimalIn(std::string_view text, int64_t low, int64_t high);

// Decimal digits only, no sign, within 0..high.
std::optional<int64_t> ParseDigits(std::string_view text, int64_t high);

}  // namespace zarvo
