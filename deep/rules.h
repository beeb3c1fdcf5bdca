// What the deep search plays on: the board size and the rule that says what counts as five.
#pragma once

namespace zarvo::deep {

// Freestyle: five or more in a row win. ExactlyFive: only five win; six or more neither win nor
// count as a four or a three for the side that would make them. Renju: the first player (black,
// side 0) plays by exactly five and may not make a three-three, a four-four or an overline
// (deep/forbidden.h); the second (white) wins by five or more.
enum class TRule : unsigned char { Freestyle, ExactlyFive, Renju };

inline constexpr int kMinBoardSize = 15;
inline constexpr int kMaxBoardSize = 20;

}  // namespace zarvo::deep
