#include "driver/text_lines.h"

#include <charconv>
#include <cstdint>

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
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace zarvo
