#include "pbrain/brain_text.h"

#include "base/decimal_text.h"

namespace zarvo {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
// Words are separated by spaces and tabs only: a CR inside a line is junk, not a separator.
bool IsSeparator(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::pair<std::string_view, std::string_view> SplitWord(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t end = 0;
  while (end < text.size() && !IsSeparator(text[end])) ++end;
  return {text.substr(0, end), TrimBlanks(text.substr(end))};
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
  return ParseDecimal(TrimBlanks(text));
}

std::optional<std::vector<int64_t>> ParseIntegerList(std::string_view text, std::size_t count) {
  std::vector<int64_t> values;
  for (;;) {
    const std::size_t comma = text.find(',');
    const auto value = ParseInteger(text.substr(0, comma));
    if (!value || values.size() == count) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (values.size() != count) return std::nullopt;
  return values;
}

std::string Printable(std::string_view text, std::size_t maxLength) {
  std::string shown;
  for (char c : text.substr(0, maxLength)) shown.push_back(c >= 0x20 && c < 0x7f ? c : '?');
  if (text.size() > maxLength) shown += "...";
  return shown;
}

}  // namespace zarvo
