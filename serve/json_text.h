// The little JSON the web board's server writes: strings escaped, squares as [x, y] pairs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/square.h"

namespace zarvo::serve {

// A JSON string literal of the text: quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text);

// [[x,y],[x,y],...]
std::string JsonSquares(const std::vector<TSquare>& squares);

}  // namespace zarvo::serve
