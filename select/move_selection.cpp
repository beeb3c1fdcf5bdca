#include "select/move_selection.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/threat_lists.h"
#include "book/book_probe.h"
#include "search/candidate_iteration.h"
#include "search/threat_search.h"
#include "search/vcf_solver.h"

namespace zarvo {
namespace {

// A table row (p, q, r, s) of the second-stone tests, matched against (|x - 9|, |y - 9|,
// |x - rx|, |y - ry|) as it stands ("straight") or with the pairs swapped ("transposed").
struct TThirdRow {
  int P, Q, R, S;
};
constexpr std::array<TThirdRow, 4> kDiagonalThirdRows{
    {{1, 1, 0, 2}, {1, 1, 2, 2}, {1, 0, 2, 1}, {2, 2, 2, 3}}};
constexpr std::array<TThirdRow, 5> kDirectThirdRows{
    {{1, 1, 1, 0}, {1, 0, 1, 1}, {1, 1, 1, 2}, {0, 1, 0, 2}, {2, 2, 2, 1}}};

struct TDistances {
  int D1, D2, D3, D4;
  bool Straight(const TThirdRow& row) const {
    return D1 == row.P && D2 == row.Q && D3 == row.R && D4 == row.S;
  }
  bool Transposed(const TThirdRow& row) const {
    return D1 == row.Q && D2 == row.P && D3 == row.S && D4 == row.R;
  }
};

TDistances DistancesOf(int x, int y, int rx, int ry) {
  return {std::abs(x - 9), std::abs(y - 9), std::abs(x - rx), std::abs(y - ry)};
}

TSquare MoveAt(int x, int y) {
  return {x, y};
}
TSquare MoveAt(const TCell& cell) {
  return {cell.X, cell.Y};
}

// Clears the search's pointer to the threat lists when they go away.
class TListsInUse {
 public:
  TListsInUse(TSearchState& search, TThreatLists& lists) : search_(search) {
    search_.Lists = &lists;
  }
  ~TListsInUse() { search_.Lists = nullptr; }
  TListsInUse(const TListsInUse&) = delete;
  TListsInUse& operator=(const TListsInUse&) = delete;

 private:
  TSearchState& search_;
};

// One stone on the board: the centre when it lies near the edge, otherwise a square next to it,
// one line nearer the centre in each coordinate more than two lines away from it.
TSquare FirstStoneRule(TEngineState& state) {
  const int a = state.FirstStone.X;
  const int b = state.FirstStone.Y;
  if (std::min(a, b) < 2 || std::max(a, b) > 18) return MoveAt(9, 9);
  int x;
  if (a - 9 > 2)
    x = a - 1;
  else if (9 - a > 2)
    x = a + 1;
  else
    x = a - 1 + state.Rng.Random(3);
  if (b - 9 > 2) return MoveAt(x, b - 1);
  if (9 - b > 2) return MoveAt(x, b + 1);
  int y = b - 1 + state.Rng.Random(3);
  if (x == a && y == b) {
    if (state.Rng.Random(2) == 0)
      x = x - 1 + 2 * state.Rng.Random(2);
    else
      y = y - 1 + 2 * state.Rng.Random(2);
  }
  return MoveAt(x, y);
}

// Two stones in the central block: the first player's second stone. Empty optional: go on with
// the general case.
std::optional<TSquare> SecondStoneRule(TEngineState& state, const TPosition& w) {
  int inBlock = 0;
  for (int x = 8; x <= 10; ++x)
    for (int y = 8; y <= 10; ++y) inBlock += w.Cell(x, y).Stone != kEmpty;
  if (inBlock != 2) return std::nullopt;

  const int rx = state.EarlyOppStone.X;
  const int ry = state.EarlyOppStone.Y;
  // The reply tables assume the engine's own stone on the centre; only then do they always
  // accept some square, and never an occupied one.
  const bool ownCentre = w.Cell(9, 9).Stone == state.Sides.OwnStone && state.Sides.OwnStone != 0;
  if (ownCentre && std::abs(9 - rx) < 2 && std::abs(9 - ry) < 2) {
    const bool diagonal = std::abs(9 - rx) == std::abs(9 - ry);
    for (;;) {
      const int x = 7 + state.Rng.Random(5);
      const int y = 7 + state.Rng.Random(5);
      if (diagonal ? DiagonalThird(x, y, rx, ry) : DirectThird(x, y, rx, ry)) return MoveAt(x, y);
    }
  }
  // Any empty square near the centre: an occupied square scores negative, and the area always
  // holds empty squares.
  for (;;) {
    const int x = 9 - OpeningSpread + state.Rng.Random(2 * OpeningSpread + 1);
    const int y = 9 - OpeningSpread + state.Rng.Random(2 * OpeningSpread + 1);
    if (w.Cell(x, y).Value[0] >= 0 && std::abs(x - 9) + std::abs(y - 9) <= 4) return MoveAt(x, y);
  }
}

// Three stones: the candidate area is the box around the opponent's stones. Without an opponent
// stone the box of all stones stays, so the engine still answers near the stones.
void NarrowToOpponentStones(const TEngineState& state, TPosition& level1) {
  bool any = false;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      if (level1.Cell(x, y).Stone != state.Sides.OppStone) continue;
      if (!any) {
        level1.MinX = level1.MaxX = x;
        level1.MinY = level1.MaxY = y;
        any = true;
      } else {
        level1.MinX = std::min(level1.MinX, x);
        level1.MaxX = std::max(level1.MaxX, x);
        level1.MinY = std::min(level1.MinY, y);
        level1.MaxY = std::max(level1.MaxY, y);
      }
    }
  }
}

// The lost position: reported in GameLost (the driver leaves the marker), then a free corner,
// else the first empty square.
TSquare LostPositionMove(TEngineState& state, const TPosition& w, const TCell& best) {
  state.GameLost = true;
  for (int draw = 0; draw < 30; ++draw) {
    const int x = 19 * state.Rng.Random(2);
    const int y = 19 * state.Rng.Random(2);
    if (w.Cell(x, y).Stone == kEmpty) return MoveAt(x, y);
  }
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (w.Cell(x, y).Stone == kEmpty) return MoveAt(x, y);
  return MoveAt(best);
}

bool HasEmptySquare(const TPosition& position) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (position.Cell(x, y).Stone == kEmpty) return true;
  return false;
}

// The threat search over the level-1 candidates; the entries' scores become their values.
void SearchLevelOne(TEngineState& state, TMoveContext& context) {
  TSearchState& search = state.Search;
  TCandidateList& list = context.LevelCandidates[1];

  // Unsearched entries sort below every searched one; unfilled and filtered ones keep their marks.
  for (int k = 0; k < CandidateCount; ++k)
    if (list[k].Value[0] > kMarkCeiling) list[k].Value = {kUnsearchedMark, kUnsearchedMark};

  search.BestScore = -100000;
  int32_t best = -49999;
  const TCell top = list[0];
  for (int k = 0; k < CandidateCount; ++k) {
    TCell& e = list[k];
    const uint8_t s = search.SideIndex;
    const uint8_t o = OtherSide[s];
    if (e.Value[s] < kExcludedMark) continue;  // unfilled or filtered
    // Against an opponent open-four threat only answers and own fours are searched.
    const bool admitted = top.TopClass[o] < kClassOpenFour || e.TopClass[o] >= kClassOpenFour ||
                          (e.TopClass[o] == kClassFour && InLine(e, top)) ||
                          e.TopClass[s] >= kClassFour;
    if (!admitted) {
      e.Value[s] = kExcludedMark;
      continue;
    }
    context.PlayedX[1] = e.X;
    context.PlayedY[1] = e.Y;
    const int32_t v = ThreatSearch(state, context, -49999, best);
    e.Value[s] = v;
    best = std::max(best, v);
    if (v > search.BestScore) {
      search.BestScore = v;
      // A proven win: no later root move needs to look deeper than it.
      if (search.BestScore >= kDecided)
        state.MaxDepth = std::min(state.MaxDepth, kWinScore - search.BestScore) - 2;
    }
    if (state.Time.TimeIsUp()) break;
  }
  SortCandidates(search.SideIndex, list, 0, kCandidateSlots - 1);
}

// A random choice among the top entries whose scores tie (or, with a tolerance, nearly tie).
TSquare FinalChoice(TEngineState& state, const TCandidateList& list) {
  const uint8_t s = state.Search.SideIndex;
  const int32_t s0 = list[0].Value[s];
  int t = 1;
  if (RandomTolerance == 0 || std::abs(state.Search.BestScore) >= kDecided) {
    while (t < CandidateCount && list[t].Value[s] == s0) ++t;
  } else if (state.StoneCount < 10) {
    while (t < CandidateCount &&
           list[t].Value[s] > static_cast<double>((100 - RandomTolerance) * s0) / 100)
      ++t;
  } else {
    while (t < CandidateCount && list[t].Value[s] > s0 * (100 - RandomTolerance / 2.0) / 100) ++t;
  }
  return MoveAt(list[state.Rng.Random(t)]);
}

}  // namespace

TSquare FirstEmptySquare(const TPosition& position) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (position.Cell(x, y).Stone == kEmpty) return MoveAt(x, y);
  return MoveAt(9, 9);
}

bool DiagonalThird(int x, int y, int rx, int ry) {
  const TDistances d = DistancesOf(x, y, rx, ry);
  return std::any_of(kDiagonalThirdRows.begin(), kDiagonalThirdRows.end(),
                     [&](const TThirdRow& row) { return d.Straight(row) || d.Transposed(row); });
}

bool DirectThird(int x, int y, int rx, int ry) {
  const TDistances d = DistancesOf(x, y, rx, ry);
  return std::any_of(kDirectThirdRows.begin(), kDirectThirdRows.end(), [&](const TThirdRow& row) {
    return rx == 9 ? d.Straight(row) : d.Transposed(row);
  });
}

void ShapeOpeningScores(const TCell& top, TPosition& position) {
  const bool openFourThreat = top.TopClass[1] == kClassOpenFour;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      TCell& cell = position.Cell(x, y);
      if (openFourThreat) {
        if (cell.TopClass[0] < kClassFour && cell.TopClass[1] < kClassFour)
          cell.Value[0] = kFilteredMark;
      } else if (cell.Value[0] == 0) {
        cell.Value[0] = 20;
      }
    }
  }
}

void PrepareLevelOne(TEngineState& state, TMoveContext& context) {
  TSearchState& search = state.Search;
  TPosition& w = context.W;
  // 1. Level 1 is the engine's move; the levels below alternate.
  search.EnsureBuffers();
  search.CurrentLevel = 1;
  search.SideIndex = 0;
  context.SideAtLevel[1] = state.Sides.OwnStone;
  context.OppAtLevel[1] = state.Sides.OppStone;
  for (int k = 1; k + 1 < kLevelSlots; ++k) {
    context.SideAtLevel[k + 1] = OppositeStone[context.SideAtLevel[k]];
    context.OppAtLevel[k + 1] = OppositeStone[context.OppAtLevel[k]];
  }
  context.LevelTally[0] = 0;
  search.BestScore = -100000;

  // 2. The candidate area: wide while the game is young.
  w.Margin = state.StoneCount == 2                              ? OpeningSpread
             : (state.StoneCount == 3 || state.StoneCount == 5) ? 1
                                                                : 4;
  TPosition& level1 = search.Levels[1];
  level1 = w;

  // 3. With three stones, look around the opponent's stones only.
  if (state.StoneCount == 3) NarrowToOpponentStones(state, level1);

  // 4. The best static candidates.
  GenerateCandidates(state, context);
}

TSquare SelectMove(TEngineState& state, TMoveContext& context) {
  TSearchState& search = state.Search;
  TPosition& w = context.W;

  // 1. One or two stones: the opening rules.
  if (state.StoneCount == 1) return FirstStoneRule(state);
  if (state.StoneCount == 2)
    if (const auto move = SecondStoneRule(state, w)) return *move;

  // 2. The levels, the candidate area and the best static candidates.
  PrepareLevelOne(state, context);
  TPosition& level1 = search.Levels[1];
  TCandidateList& list = context.LevelCandidates[1];
  TSquare answer = MoveAt(list[0]);

  // 3. No time left: the best static candidate.
  if (state.Time.TimeIsUp()) return answer;
  // 4. Our own open four or five.
  if (list[0].TopClass[0] >= kClassOpenFour) return answer;
  // 5. The opponent's five: one square is blocked, two mean the game is lost.
  if (list[0].TopClass[1] == kClassFive) {
    if (list[1].TopClass[1] != kClassFive) return answer;
    return LostPositionMove(state, w, list[0]);
  }

  // 6. A win by continuous fours, played by its shortest line.
  {
    TSearchNode root;
    const TPosition& position = search.Levels[search.CurrentLevel];
    const TXYList& fours = search.Lists->FourSquares[search.SideIndex];
    if (root.FindVcf(state, position, fours, search.SideIndex)) {
      answer = MoveAt(root.X, root.Y);
      // The win is proven: the shortest line is worth looking for only while time is left.
      if (root.FindShortestVcf(state, position, fours, search.SideIndex, true))
        answer = MoveAt(root.X, root.Y);
      return answer;
    }
  }

  // 7. The opening: shaped scores and the book.
  bool booked = false;
  if (state.StoneCount <= 15) {
    const TCell top = list[0];
    ShapeOpeningScores(top, level1);
    booked = BookProbe(state.Sides, state.StoneCount, state.Rng,
                       BookPathFor(state.ExeBaseName, state.WorkDir, state.StoneCount), level1,
                       top.Value[0]);
    if (booked) search.BestScore = 666 + state.Rng.Random(666);
    GenerateCandidates(state, context);
  }

  // 8. Unless the book knew the position, the threat search ranks the candidates.
  if (!booked) {
    if (list[0].Value[0] < 1 && HasEmptySquare(w)) return FirstEmptySquare(w);
    SearchLevelOne(state, context);
  }

  // 9. The final choice among the best candidates.
  return FinalChoice(state, list);
}

TSquare FindMove(TEngineState& state, const TPosition& position) {
  auto context = std::make_unique<TMoveContext>();
  context->W = position;
  TThreatLists lists;
  if (state.StoneCount == 0) return MoveAt(9, 9);

  TListsInUse listsInUse(state.Search, lists);
  state.Search.CurrentLevel = 0;
  RescanAll(context->W, &lists);
  const TSquare move = SelectMove(state, *context);
  // Whatever the rules made of a broken position, never answer an occupied or off-board square
  // while an empty one exists.
  if (!OnBoard(move.X, move.Y) || position.Cell(move.X, move.Y).Stone != kEmpty)
    return FirstEmptySquare(position);
  return move;
}

}  // namespace zarvo
