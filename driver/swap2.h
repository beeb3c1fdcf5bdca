// The swap2 opening, decided by the classic evaluation: the opener's three stones, and whether
// the side asked takes black, plays on as white, or adds two stones and leaves the choice.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "select/move_selection.h"

namespace zarvo {

enum class TSwap2Step : uint8_t {
  Swap,      // take black: the other player moves next, as white
  Move,      // play white's next stone now
  PlaceTwo,  // add a white and a black stone; the other player chooses a colour
};

// Balances within this many line-sum points count as even: an open three (100) against an open
// two (20) is beyond it, two shapes of the same kind are within it.
inline constexpr int32_t kEvenBalance = 50;

// The opener's stones, black, white, black, around the centre of a width x height board (9,9
// on 20 x 20): one of a few shapes the evaluation below calls even, picked by `draw`.
std::array<TSquare, 3> Swap2OpeningStones(uint32_t draw, int width, int height);

// How much better the side to move stands in a position of stones played alternately, black
// first (so white is to move after an odd count): the best line sum it reaches with one more
// stone minus the best its opponent reaches, on a width x height board (at most 20 x 20) whose
// edges close lines. Squares off the board or given twice are skipped, and the colours
// alternate over the stones that stand.
int32_t InitiativeBalance(std::span<const TSquare> stones, int width, int height);

// With three stones: Move when white stands clearly better, Swap when black does, PlaceTwo when
// even. With five: Move unless black stands better (then Swap). The balance is white's, white
// being to move.
TSwap2Step ChooseSwap2Step(int stoneCount, int32_t balance);

}  // namespace zarvo
