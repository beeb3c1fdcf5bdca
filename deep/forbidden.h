// Black's forbidden moves under renju. Black may not make an overline (six or more in a row),
// two fours (also two on one line) or two threes with one stone, unless the same stone makes a
// five, which wins. A three counts only if a move that is itself allowed turns it into a
// straight four (four in a row with both ends making five), so the check recurses.
#pragma once

#include <cstdint>

#include "deep/deep_board.h"

namespace zarvo::deep {

// Why black may not play a square, the first that holds in this order.
enum class TForbidden : uint8_t { None, Overline, FourFour, ThreeThree };

// Whether (and why) black may not play the square (an empty board square; anything else is not
// forbidden). Reads the stones only, whatever the board's rule: the line patterns of a board
// under renju or exactly five only let the quick cases answer without a look at the lines.
TForbidden ForbiddenKind(const TDeepBoard& board, TSquareIndex square);
inline bool IsForbidden(const TDeepBoard& board, TSquareIndex square) {
  return ForbiddenKind(board, square) != TForbidden::None;
}

// Whether `side` may not play the square: only black under renju has forbidden squares.
inline bool ForbiddenFor(const TDeepBoard& board, int side, TSquareIndex square) {
  return side == 0 && board.Rule() == TRule::Renju && IsForbidden(board, square);
}

// The first square of class at least `cls` (P4Flex3 or more) for `side` that the side may
// play, or kNoSquare; as TDeepBoard::FindClass, whose answer it is for every side but black
// under renju.
TSquareIndex FindAllowedClass(const TDeepBoard& board, int side, TPattern4 cls,
                              TSquareIndex around = kNoSquare);

// An empty square `side` may play, the stones' area first, or kNoSquare when there is none.
TSquareIndex AnyAllowedSquare(const TDeepBoard& board, int side);

}  // namespace zarvo::deep
