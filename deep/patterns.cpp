#include "deep/patterns.h"

namespace zarvo::deep {
namespace {

// A line seen by one side: 11 squares, the centre at index 5. Walls and the other side's
// stones both stop a line, so one code serves for both.
enum TSeen : uint8_t { kSeenEmpty, kSeenOwn, kSeenStop };
constexpr int kLineLength = 2 * kLineReach + 1;
constexpr int kCentre = kLineReach;
using TSeenLine = std::array<uint8_t, kLineLength>;

int LineIndex(const TSeenLine& line) {
  int index = 0;
  for (uint8_t square : line) index = index * 3 + square;
  return index;
}

// Whether the run of own stones through `at` is a five under the rule.
bool MakesFive(const TSeenLine& line, int at, TRule rule, int mustInclude) {
  int low = at, high = at;
  while (low > 0 && line[low - 1] == kSeenOwn) --low;
  while (high < kLineLength - 1 && line[high + 1] == kSeenOwn) ++high;
  if (mustInclude < low || mustInclude > high) return false;
  const int length = high - low + 1;
  return rule == TRule::Freestyle ? length >= 5 : length == 5;
}

// The pattern of the centre (already own) by recursion on the squares that extend it; levels
// are memoized by the whole line, so each line is worked out once.
class TLineClassifier {
 public:
  explicit TLineClassifier(TRule rule) : rule_(rule), memo_(177147, 0xFF) {}

  TPattern Classify(TSeenLine line) {
    const int index = LineIndex(line);
    if (memo_[index] != 0xFF) return static_cast<TPattern>(memo_[index]);
    TPattern result = PNone;
    if (MakesFive(line, kCentre, rule_, kCentre)) {
      result = PFive;
    } else {
      int fiveSquares = 0;
      for (int at = 1; at < kLineLength - 1; ++at) {
        if (line[at] != kSeenEmpty) continue;
        line[at] = kSeenOwn;
        if (MakesFive(line, at, rule_, kCentre)) ++fiveSquares;
        line[at] = kSeenEmpty;
      }
      if (fiveSquares >= 2) {
        result = PFlex4;
      } else if (fiveSquares == 1) {
        result = PBlock4;
      } else {
        // One more stone on the line: the best shape it reaches, one step weaker.
        for (int at = 1; at < kLineLength - 1; ++at) {
          if (line[at] != kSeenEmpty) continue;
          line[at] = kSeenOwn;
          const TPattern next = Classify(line);
          line[at] = kSeenEmpty;
          const TPattern weaker = next >= PBlock2 ? static_cast<TPattern>(next - 2) : PNone;
          if (weaker > result) result = weaker;
        }
      }
    }
    memo_[index] = result;
    return result;
  }

 private:
  TRule rule_;
  std::vector<uint8_t> memo_;
};

TSeenLine SeenBy(uint32_t key, int side, TRule rule) {
  TSeenLine line{};
  const uint32_t own = side == 0 ? kCodeBlack : kCodeWhite;
  for (int offset = -kLineReach; offset <= kLineReach; ++offset) {
    if (offset == 0) continue;
    uint32_t code = (key >> LineKeyShift(offset)) & 3;
    // Freestyle never looks five squares away: a five through the centre lies within four.
    if (rule == TRule::Freestyle && (offset == -5 || offset == 5)) code = kCodeWall;
    line[kCentre + offset] = code == kCodeEmpty ? kSeenEmpty : code == own ? kSeenOwn : kSeenStop;
  }
  line[kCentre] = kSeenOwn;
  return line;
}

}  // namespace

TPatternTables::TPatternTables(TRule rule)
    : rule_(rule),
      combination_{rule == TRule::Renju ? &RenjuBlackCombination() : &Combination(),
                   &Combination()},
      keyMask_(rule == TRule::Freestyle ? 0xFFFFu : 0xFFFFFu) {
  lines_.assign(static_cast<std::size_t>(keyMask_) + 1, 0);
  if (rule == TRule::Renju) {
    // Black's lines are those of exactly five, white's those of freestyle: both tables are built
    // anyway, and a copy takes no time.
    const TPatternTables& exactlyFive = For(TRule::ExactlyFive);
    const TPatternTables& freestyle = For(TRule::Freestyle);
    for (uint32_t key = 0; key <= keyMask_; ++key)
      lines_[key] = static_cast<uint8_t>((exactlyFive.PackedPatterns(key) & 15) |
                                         (freestyle.PackedPatterns(key) & 0xF0));
    return;
  }
  TLineClassifier classifier(rule);
  for (uint32_t key = 0; key <= keyMask_; ++key) {
    const TPattern black = classifier.Classify(SeenBy(key, 0, rule));
    const TPattern white = classifier.Classify(SeenBy(key, 1, rule));
    lines_[key] = static_cast<uint8_t>(black | white << 4);
  }
}

const TPatternTables& TPatternTables::For(TRule rule) {
  static const TPatternTables freestyle(TRule::Freestyle);
  if (rule == TRule::Freestyle) return freestyle;
  if (rule == TRule::ExactlyFive) {
    static const TPatternTables exactlyFive(TRule::ExactlyFive);
    return exactlyFive;
  }
  static const TPatternTables renju(TRule::Renju);
  return renju;
}

TPattern4 TPatternTables::CombineOf(const std::array<TPattern, 4>& patterns) {
  std::array<int, kPatternCount> n{};
  for (TPattern pattern : patterns) ++n[pattern];
  if (n[PFive]) return P4Five;
  if (n[PFlex4] || n[PBlock4] >= 2) return P4Flex4;
  if (n[PBlock4] && n[PFlex3]) return P4Block4Flex3;
  if (n[PBlock4] && (n[PBlock3] || n[PFlex2])) return P4Block4Plus;
  if (n[PBlock4]) return P4Block4;
  if (n[PFlex3] >= 2) return P4Flex3Double;
  if (n[PFlex3] && (n[PBlock3] || n[PFlex2])) return P4Flex3Plus;
  if (n[PFlex3]) return P4Flex3;
  if (n[PBlock3] && (n[PBlock3] >= 2 || n[PFlex2])) return P4Block3Plus;
  if (n[PBlock3]) return P4Block3;
  if (n[PFlex2]) return P4Flex2;
  return P4None;
}

TPattern4 TPatternTables::RenjuBlackCombineOf(const std::array<TPattern, 4>& patterns) {
  std::array<int, kPatternCount> n{};
  for (TPattern pattern : patterns) ++n[pattern];
  if (n[PFive]) return P4Five;
  if (n[PFlex4] + n[PBlock4] >= 2 || n[PFlex3] >= 2) return P4None;
  return CombineOf(patterns);
}

namespace {

// Every packed set of four patterns combined by `combine` (codes beyond the patterns: P4None).
template <class TCombine>
std::array<TPattern4, 1 << 16> CombinationBy(TCombine combine) {
  std::array<TPattern4, 1 << 16> combined{};
  for (uint32_t packed = 0; packed < combined.size(); ++packed) {
    std::array<TPattern, 4> patterns{};
    bool valid = true;
    for (int d = 0; d < 4; ++d) {
      const uint32_t p = (packed >> (4 * d)) & 15;
      valid = valid && p < kPatternCount;
      patterns[d] = static_cast<TPattern>(p);
    }
    combined[packed] = valid ? combine(patterns) : P4None;
  }
  return combined;
}

}  // namespace

const TPatternTables::TCombination& TPatternTables::Combination() {
  static const TCombination table = CombinationBy(CombineOf);
  return table;
}

const TPatternTables::TCombination& TPatternTables::RenjuBlackCombination() {
  static const TCombination table = CombinationBy(RenjuBlackCombineOf);
  return table;
}

}  // namespace zarvo::deep
