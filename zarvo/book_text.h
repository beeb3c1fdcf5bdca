// The text form of opening-book positions that 'zarvo book build' reads, a position a line:
//   MOVE MOVE ... : REPLY PLUS MINUS
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/book_builder.h"

namespace zarvo::tool {

// One line; empty optional with `problem` set when it is wrong, empty optional with no problem
// for a blank or comment line. Whether the squares are on the board is the builder's to say.
std::optional<TBookPosition> ParseBookLine(std::string_view line, std::string& problem);

}  // namespace zarvo::tool
