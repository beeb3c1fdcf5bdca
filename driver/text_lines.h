// Line reading for the engine's text inputs: LF, CR LF and a lone CR each end a line.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace zarvo {

struct TTextLine {
  std::string Text;        // at most the kept number of characters
  bool Truncated = false;  // the line was longer than that
};

// Reads the next line, keeping at most maxKept characters and skipping the rest of it. Empty
// optional when the input is at its end before any character.
std::optional<TTextLine> ReadTextLine(std::istream& in, std::size_t maxKept);

// A decimal signed 32-bit integer, blanks around it allowed; empty optional for anything else,
// values out of range included.
std::optional<int32_t> ParseInt32(std::string_view text);

}  // namespace zarvo
