#include "search/threat_search.h"

#include <algorithm>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/state_check.h"
#include "board/threat_lists.h"
#include "search/candidate_iteration.h"
#include "search/vcf_solver.h"

namespace zarvo {
namespace {

// Deepest level whose per-level arrays have a slot for the next level too.
constexpr int kDeepestLevel = kLevelSlots - 2;

constexpr int32_t WinAt(int level) {
  return kWinScore - level;
}
constexpr int32_t LossAt(int level) {
  return level - kWinScore;
}

// Brings the threat lists back to Levels[p] when level p's move is abandoned.
class TThreatListRestore {
 public:
  TThreatListRestore(TSearchState& search, int level) : search_(search), level_(level) {}
  ~TThreatListRestore() {
    const TCell& played = search_.PlayedCells[level_];
    SyncThreatLists(*search_.Lists, played.X, played.Y, search_.Levels[level_ + 1],
                    search_.Levels[level_]);
    if constexpr (kCheckState) CheckThreatLists(*search_.Lists, search_.Levels[level_]);
  }
  TThreatListRestore(const TThreatListRestore&) = delete;
  TThreatListRestore& operator=(const TThreatListRestore&) = delete;

 private:
  TSearchState& search_;
  int level_;
};

// Restores the level and the side to move when the replies of a level are done.
class TLevelRestore {
 public:
  TLevelRestore(TSearchState& search, int level, uint8_t side)
      : search_(search), level_(level), side_(side) {}
  ~TLevelRestore() {
    search_.CurrentLevel = level_;
    search_.SideIndex = side_;
  }
  TLevelRestore(const TLevelRestore&) = delete;
  TLevelRestore& operator=(const TLevelRestore&) = delete;

 private:
  TSearchState& search_;
  int level_;
  uint8_t side_;
};

// The mover threatens open fours: the replies are those squares and every square that becomes a
// five-square of the mover after it plays one of them.
void BuildDefenceReplies(TSearchEnvironment& state, TMoveContext& context, int level,
                         uint8_t mover) {
  TSearchState& search = state.Search;
  const TThreatLists& lists = *search.Lists;
  TXYList& squares = context.ScratchList;
  squares.Clear();
  for (const TSquare* square : lists.OpenFourSquares[mover]) squares.Add(square);

  TPosition& scratch = *search.Scratch;
  for (const TSquare* q : lists.OpenFourSquares[mover]) {
    scratch = search.Levels[level + 1];
    PlaceStone(state.Sides, state.Sides.StoneOfSlot[mover], q->X, q->Y, scratch);
    for (int k = 1; k <= 4; ++k) {
      for (int d = 0; d < 4; ++d) {
        for (int sign : {1, -1}) {
          const int nx = q->X + sign * k * DirDX[d];
          const int ny = q->Y + sign * k * DirDY[d];
          if (!OnBoard(nx, ny)) continue;
          RescanSquare(d, nx, ny, nullptr, scratch);
          if (scratch.Cell(nx, ny).TopClass[mover] != kClassFive) continue;
          const TSquare* five = lists.Lookup(nx, ny);
          if (!squares.Contains(five)) squares.Add(five);
        }
      }
    }
  }
  BuildDefenceMoves(mover, squares, context.LevelCandidates[level + 1], search.Levels[level + 1]);
}

}  // namespace

int32_t ThreatBalance(const TPosition& position, int x, int y, uint8_t mover) {
  const uint8_t other = OtherSide[mover];
  int32_t balance = 0;
  for (int i = 1; i <= 4; ++i) {
    const int around[8][2] = {{x, y + i},     {x, y - i},     {x + i, y + i}, {x + i, y - i},
                              {x - i, y + i}, {x - i, y - i}, {x + i, y},     {x - i, y}};
    for (const auto& [sx, sy] : around) {
      const TCell& cell = position.Cell(sx, sy);
      balance += std::max(0, cell.LineSum[mover]) - std::max(0, cell.LineSum[other]);
    }
  }
  return balance;
}

void PlaySearchMove(TSearchEnvironment& state, TMoveContext& context) {
  TSearchState& search = state.Search;
  const int p = search.CurrentLevel;
  const uint8_t m = search.SideIndex;
  const uint8_t o = OtherSide[m];
  const int x = context.PlayedX[p];
  const int y = context.PlayedY[p];

  TPosition& w = search.Levels[p + 1];
  w = search.Levels[p];
  const TCell& target = w.Cell(x, y);
  const int32_t before = ThreatBalance(w, x, y, m);
  context.LevelTally[p] =
      target.LineSum[o] - target.LineSum[m] - before - context.LevelTally[p - 1];
  MakeMove(state.Sides, context.SideAtLevel[p], x, y, search.Lists, w);
  context.LevelTally[p] += ThreatBalance(w, x, y, m);
  // Horizon correction: the last level's own threats cannot be answered within the search.
  if (p == state.MaxDepth && p > 2 && context.LevelTally[p] > 5000) context.LevelTally[p] -= 8000;
}

int32_t ThreatSearch(TSearchEnvironment& state, TMoveContext& context, int32_t replyBound,
                     int32_t bound) {
  TSearchState& search = state.Search;
  TThreatLists& lists = *search.Lists;
  const int p = search.CurrentLevel;
  const uint8_t m = search.SideIndex;
  const uint8_t o = OtherSide[m];
  ++search.Nodes;

  // 1. The move square as it stands before the move.
  search.PlayedCells[p] = search.Levels[p].Cell(context.PlayedX[p], context.PlayedY[p]);

  // 2. Decided before the move.
  if (!lists.FiveSquares[m].Empty()) return WinAt(p);
  if (lists.FiveSquares[o].Count() >= 2) return LossAt(p);
  if (lists.FiveSquares[o].Count() == 1) {
    const TSquare* f = lists.FiveSquares[o][0];
    if (search.Levels[p].Cell(f->X, f->Y).TopClass[m] == kClassOpenFour) return WinAt(p);
  } else if (!lists.OpenFourSquares[m].Empty()) {
    return WinAt(p);
  }

  // 3. The move; every way out from here restores the lists.
  PlaySearchMove(state, context);
  TThreatListRestore restoreLists(search, p);
  const TPosition& after = search.Levels[p + 1];
  TCandidateList& replies = context.LevelCandidates[p + 1];
  bool full = false;

  // 4. Decided after the move, or the replies are forced.
  if (!lists.FiveSquares[o].Empty()) return LossAt(p);
  if (lists.FiveSquares[m].Count() >= 2) return WinAt(p);
  if (lists.FiveSquares[m].Count() == 1) {
    const TSquare* b = lists.FiveSquares[m][0];
    context.PlayedX[p + 1] = static_cast<int8_t>(b->X);
    context.PlayedY[p + 1] = static_cast<int8_t>(b->Y);
    if (after.Cell(b->X, b->Y).TopClass[o] == kClassFive) return LossAt(p);
    replies[0] = after.Cell(b->X, b->Y);
    for (int k = 1; k < kCandidateSlots; ++k)
      replies[k].Value = {kNotPlayableMark, kNotPlayableMark};
  } else {
    if (!lists.OpenFourSquares[o].Empty()) return LossAt(p);
    TSearchNode node;
    if (p < state.MaxDepth && node.FindVcf(state, after, lists.FourSquares[o], o)) return LossAt(p);
    if (lists.OpenFourSquares[m].Empty()) {
      full = true;
    } else {
      BuildDefenceReplies(state, context, p, m);
      if (replies[0].Value[o] < 0) return WinAt(p);
    }
  }

  // 5. The static value, final at the depth limit or when time is up.
  int32_t r = context.LevelTally[p];
  if (p >= state.MaxDepth || p >= kDeepestLevel || state.Time.TimeIsUp()) {
    if (lists.OpenFourSquares[m].Count() > 2) r += 25000;
    return r;
  }

  // 6. The replies, searched by the other side one level down.
  TLevelRestore restoreLevel(search, p, m);
  search.CurrentLevel = p + 1;
  context.BestReply[p + 1] = -r;
  context.CandidateCursor[p + 1] = 0;
  search.SideIndex = o;
  if (full) GenerateCandidates(state, context);

  // 7. Negamax with the bounds changing places; a cut once the move is strictly worse than bound.
  bool first = true;
  while (NextCandidate(state, context, full)) {
    if (first) context.BestReply[p + 1] = kNoReplyYet;
    first = false;
    const int32_t v = ThreatSearch(state, context, bound, replyBound);
    context.BestReply[p + 1] = std::max(context.BestReply[p + 1], v);
    if (-context.BestReply[p + 1] < bound) break;
    replyBound = std::max(replyBound, v);
  }
  // 8. The move is worth the best reply, negated.
  return -context.BestReply[p + 1];
}

}  // namespace zarvo
