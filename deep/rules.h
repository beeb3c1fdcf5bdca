// What the deep search plays on: the board size and the rule that says what counts as five.
#pragma once

namespace zarvo::deep {

// Freestyle: five or more in a row win. ExactlyFive: only five win; six or more neither win nor
// count as a four or a three for the side that would make them.
enum class TRule : unsigned char { Freestyle, ExactlyFive };

inline constexpr int kMinBoardSize = 15;
inline constexpr int kMaxBoardSize = 20;

}  // namespace zarvo::deep
