// The state the searches of one move share: which level is being worked on and by which side,
// the stack of positions, the per-level arrays of one move selection, and the environment (sides,
// depth limit, clock) the search functions take. Move selection above shares it through these
// types and the candidate iteration; the search never sees the engine's files or books.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "base/square_pool.h"
#include "base/time_control.h"
#include "board/position.h"
#include "board/stones.h"
#include "board/threat_lists.h"
#include "search/candidate_list.h"

namespace zarvo {

// Settings of the move selection.
inline constexpr int CandidateCount = 15;  // level-1 candidate slots examined and ranked
inline constexpr int LevelBreadth = 15;    // most entries taken per level
inline constexpr int SelectiveLevel = 6;   // first level at which candidates are pruned
inline constexpr int OpeningSpread = 3;    // half-width of the second-stone area
inline constexpr int RandomTolerance = 0;  // percent tolerance of the final choice; 0 = ties only

inline constexpr int kLevelSlots = 16;  // per-level arrays: index 0..15, levels 1..15 used

// Search values, from the point of view of the side that made the move being valued.
inline constexpr int32_t kWinScore = 50015;  // a win at level p scores kWinScore - p
inline constexpr int32_t kDecided = 49950;   // magnitude from which a value counts as decided
inline constexpr int32_t kNoReplyYet = -51000;

struct TSearchState {
  int32_t CurrentLevel = 0;
  uint8_t SideIndex = 0;
  // Levels[p]: the position in which level p's move is made; level 1 is the root.
  std::vector<TPosition> Levels;
  std::array<TCell, kLevelSlots + 1> PlayedCells{};  // square played at each level, before the move
  int32_t BestScore = 0;

  // The threat lists of the running move search; they describe the position being searched.
  TThreatLists* Lists = nullptr;
  // One position per nesting of the continuous-four solver, and one scratch board. A deque keeps
  // references to earlier nestings valid while it grows.
  std::deque<TPosition> SolverPositions;
  std::unique_ptr<TPosition> Scratch;

  // Work done, for the benchmark; they decide nothing.
  uint64_t Nodes = 0;
  uint64_t SolverCalls = 0;

  // Allocates the position stack once per move, so the search itself never allocates.
  void EnsureBuffers() {
    if (Levels.size() < kLevelSlots + 1) Levels.resize(kLevelSlots + 1);
    if (!Scratch) Scratch = std::make_unique<TPosition>();
  }
};

// The working record of one move selection.
struct TMoveContext {
  TPosition W{};  // the evaluated copy of the position read
  std::array<TCandidateList, kLevelSlots> LevelCandidates{};
  std::array<uint8_t, kLevelSlots> SideAtLevel{};  // stone code moving at each level
  std::array<uint8_t, kLevelSlots> OppAtLevel{};
  std::array<int8_t, kLevelSlots> PlayedX{};
  std::array<int8_t, kLevelSlots> PlayedY{};
  std::array<int32_t, kLevelSlots> CandidateCursor{};
  std::array<int32_t, kLevelSlots> LevelTally{};  // static value after each level's move
  std::array<int32_t, kLevelSlots> BestReply{};
  TXYList ScratchList;  // the defence squares of the threat search
};

inline constexpr int32_t kDefaultMaxDepth = 9;

// What the searches of one move read and share besides the position: the sides, the depth limit,
// the clock and the search state. The engine's per-move state extends it with what only the
// layers above the search need (files, book names, the board reader's findings).
struct TSearchEnvironment {
  TSideMaps Sides;
  int32_t MaxDepth = kDefaultMaxDepth;
  TTimeControl Time;
  TSearchState Search;
};

}  // namespace zarvo
