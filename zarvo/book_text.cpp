#include "zarvo/book_text.h"

#include <vector>

#include "base/decimal_text.h"
#include "base/square.h"
#include "base/square_text.h"

namespace zarvo::tool {
namespace {

bool ParseNumber(std::string_view text, uint64_t limit, uint64_t& value) {
  const std::optional<int64_t> number = ParseDigits(text, static_cast<int64_t>(limit));
  if (number) value = static_cast<uint64_t>(*number);
  return number.has_value();
}

// Whether the square is on the board is the position check's to say.
bool ParseSquare(std::string_view text, TSquare& square) {
  const std::optional<TSquare> parsed = ParseSquareText(text);
  if (parsed) square = *parsed;
  return parsed.has_value();
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

std::string NotASquare(std::string_view what, std::string_view word) {
  std::string text(what);
  text.append("'").append(word).append("' is not a square X,Y");
  return text;
}

}  // namespace

std::optional<TBookPosition> ParseBookLine(std::string_view line, std::string& problem) {
  problem.clear();
  if (const size_t hash = line.find('#'); hash != std::string_view::npos)
    line = line.substr(0, hash);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) {
    if (!Words(line).empty()) problem = "expected 'MOVE MOVE ... : REPLY PLUS MINUS'";
    return std::nullopt;
  }
  TBookPosition position;
  for (std::string_view word : Words(line.substr(0, colon))) {
    TSquare move;
    if (!ParseSquare(word, move)) {
      problem = NotASquare("", word);
      return std::nullopt;
    }
    position.Moves.push_back(move);
  }
  const std::vector<std::string_view> tail = Words(line.substr(colon + 1));
  if (tail.size() != 3) {
    problem = "expected 'REPLY PLUS MINUS' after ':'";
    return std::nullopt;
  }
  if (!ParseSquare(tail[0], position.Reply)) {
    problem = NotASquare("reply ", tail[0]);
    return std::nullopt;
  }
  uint64_t plus, minus;
  if (!ParseNumber(tail[1], UINT32_MAX, plus) || !ParseNumber(tail[2], UINT32_MAX, minus)) {
    problem = "PLUS and MINUS must be whole numbers 0..4294967295";
    return std::nullopt;
  }
  position.PlusCount = static_cast<uint32_t>(plus);
  position.MinusCount = static_cast<uint32_t>(minus);
  return position;
}

}  // namespace zarvo::tool
