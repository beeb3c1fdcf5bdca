// Line patterns: what one empty square is worth to one side along one line, and the class of a
// square from its four lines. Both come from tables built once per rule.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "deep/rules.h"

namespace zarvo::deep {

// The strongest shape a stone on the square makes along one line, weakest first. "Flex" shapes
// can grow at both ends; a Flex4 has two squares that make five, a Block4 one.
enum TPattern : uint8_t {
  PNone,
  PBlock1,
  PFlex1,
  PBlock2,
  PFlex2,
  PBlock3,
  PFlex3,
  PBlock4,
  PFlex4,
  PFive,
  kPatternCount
};

// The class of a square for one side from its four line patterns, weakest first. P4Flex4 also
// stands for two fours at once: either wins like an open four.
enum TPattern4 : uint8_t {
  P4None,
  P4Flex2,
  P4Block3,
  P4Block3Plus,  // two threes in the making, or one with an open two
  P4Flex3,
  P4Flex3Plus,    // an open three with a second, weaker threat
  P4Flex3Double,  // two open threes
  P4Block4,
  P4Block4Plus,   // a four with a weaker second threat
  P4Block4Flex3,  // a four and an open three
  P4Flex4,
  P4Five,
  kPattern4Count
};

// Cell codes in a line key, two bits per neighbouring square.
enum TLineCode : uint32_t { kCodeEmpty = 0, kCodeBlack = 1, kCodeWhite = 2, kCodeWall = 3 };

// The neighbours at distance 1..4 on either side fill bits 0..15 of a line key; those at
// distance 5 (only the exactly-five rule reads them) bits 16..19.
inline constexpr int kLineReach = 5;
constexpr int LineKeyShift(int offset) {
  if (offset == -5) return 16;
  if (offset == 5) return 18;
  return 2 * (offset < 0 ? offset + 4 : offset + 3);
}

class TPatternTables {
 public:
  // The tables of one rule, built on first use and shared afterwards.
  static const TPatternTables& For(TRule rule);

  TPattern Pattern(uint32_t key, int side) const {
    const uint8_t packed = lines_[key & keyMask_];
    return static_cast<TPattern>(side == 0 ? packed & 15 : packed >> 4);
  }
  // Both sides' patterns at once: the first player's in the low four bits, the second's above.
  uint8_t PackedPatterns(uint32_t key) const { return lines_[key & keyMask_]; }

  // The class of a square for a side from its four patterns packed four bits each (direction 0
  // lowest).
  TPattern4 Combine(uint32_t packedPatterns, int side) const {
    return (*combination_[side])[packedPatterns];
  }
  static TPattern4 CombineOf(const std::array<TPattern, 4>& patterns);
  // Black's class under renju: a four-four or a three-three is forbidden there (unless a five
  // comes with it), so it is worth nothing; the rarer cases (a three whose four squares are
  // forbidden, an overline beside a four) are left to the forbidden-move check.
  static TPattern4 RenjuBlackCombineOf(const std::array<TPattern, 4>& patterns);

  TRule Rule() const { return rule_; }

 private:
  using TCombination = std::array<TPattern4, 1 << 16>;
  explicit TPatternTables(TRule rule);
  static const TCombination& Combination();
  static const TCombination& RenjuBlackCombination();

  TRule rule_;
  // The combination tables by side (shared by every rule but black's under renju), held here so
  // that the board's make and undo reach them without the guard of a function's static.
  std::array<const TCombination*, 2> combination_;
  uint32_t keyMask_;            // freestyle reads distance 1..4 only
  std::vector<uint8_t> lines_;  // indexed by line key & keyMask_
};

}  // namespace zarvo::deep
