// Small text helpers of the brain protocol: words, numbers, coordinate lists and safe echoes.
// They accept any bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvo {

// Without leading and trailing blanks (space, tab, CR, LF).
std::string_view TrimBlanks(std::string_view text);

// The first word (up to a space or tab) and the trimmed rest.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view text);

std::string UpperCase(std::string_view text);

// A decimal integer with an optional sign, blanks around it allowed. Values beyond 64 bits are
// clamped, so "a very large number" stays a number that every range check rejects.
std::optional<int64_t> ParseInteger(std::string_view text);

// Exactly `count` integers separated by commas ("3,4" or "3, 4, 1").
std::optional<std::vector<int64_t>> ParseIntegerList(std::string_view text, std::size_t count);

// The text for an answer line: bytes outside printable ASCII become "?" and a long text is cut,
// so an echo can never break the one-line-per-answer rule.
std::string Printable(std::string_view text, std::size_t maxLength = 60);

}  // namespace zarvo
