#include "driver/text_lines.h"

#include <cstdint>

#include "base/decimal_text.h"

namespace zarvo {

std::optional<TTextLine> ReadTextLine(std::istream& in, std::size_t maxKept) {
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) return std::nullopt;
  TTextLine line;
  bool any = false;
  for (;;) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      if (!any) return std::nullopt;
      return line;
    }
    any = true;
    if (c == '\n') return line;
    if (c == '\r') {
      if (buffer->sgetc() == '\n') buffer->sbumpc();
      return line;
    }
    if (line.Text.size() < maxKept)
      line.Text.push_back(static_cast<char>(c));
    else
      line.Truncated = true;
  }
}

std::optional<int32_t> ParseInt32(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  const std::optional<int64_t> value = ParseDecimalIn(text, INT32_MIN, INT32_MAX);
  if (!value) return std::nullopt;
  return static_cast<int32_t>(*value);
}

}  // namespace zarvo
