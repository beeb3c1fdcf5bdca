#include "search/candidate_iteration.h"

#include "board/line_eval.h"
#include "board/pattern_tables.h"

namespace zarvo {

void GenerateCandidates(TSearchEnvironment& state, TMoveContext& context) {
  const TSearchState& search = state.Search;
  ScanCandidates(search.SideIndex, search.Levels[search.CurrentLevel],
                 context.LevelCandidates[search.CurrentLevel]);
}

bool IsRelevantReply(const TSearchEnvironment& state, const TCell& e) {
  const TSearchState& search = state.Search;
  const int level = search.CurrentLevel;
  const uint8_t s = search.SideIndex;
  const uint8_t o = OtherSide[s];
  const auto played = [&](int k) -> const TCell& { return search.PlayedCells[k]; };

  // 1. Shallow levels try everything.
  if (level < 5) return true;
  // 2. Open fours and fives, made or answered.
  if (e.TopClass[s] >= kClassOpenFour || e.TopClass[o] >= kClassOpenFour) return true;
  // 3. Near the side's previous move, or in line with the opponent's last move.
  if (IsNear(e, played(level - 2)) || InLine(e, played(level - 1))) return true;
  // 4. The side's previous move made no threat: nothing to stay connected to.
  if (played(level - 2).TopClass[s] < kClassOpenThree) return true;
  // 5. In line with an earlier threat of the same attack, while the opponent kept answering.
  for (int n = level - 4; n > 0 && played(n + 1).TopClass[o] > 0; n -= 2) {
    const TCell& threat = played(n);
    if ((threat.TopClass[s] >= kClassOpenThree || threat.TopClass[o] >= kClassFour) &&
        InLine(e, threat))
      return true;
  }
  return false;
}

bool NextCandidate(TSearchEnvironment& state, TMoveContext& context, bool full) {
  const TSearchState& search = state.Search;
  const int level = search.CurrentLevel;
  const uint8_t s = search.SideIndex;
  const uint8_t o = OtherSide[s];
  int32_t& cursor = context.CandidateCursor[level];
  const TCandidateList& list = context.LevelCandidates[level];

  // 1. At and beyond the depth limit a level yields at most one move.
  if (level >= state.MaxDepth && cursor > 0) return false;
  // 2. Entries in order; pruned ones still advance the cursor.
  while (cursor < LevelBreadth) {
    const TCell& e = list[cursor++];
    if (e.Value[s] < 1) return false;  // sorted: nothing playable follows
    context.PlayedX[level] = e.X;
    context.PlayedY[level] = e.Y;
    if (!full || level < SelectiveLevel) return true;
    if (e.TopClass[s] >= kClassOpenThree) {
      if (IsRelevantReply(state, e)) return true;
      continue;
    }
    if (e.TopClass[o] < kClassOpenThree) return false;
    if (e.TopClass[o] >= kClassFour) return true;
    // An opponent open three alone is passed over.
  }
  return false;
}

}  // namespace zarvo
