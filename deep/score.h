// What the deep search's scores mean: a static evaluation lies within kEvalLimit, a proven
// result beyond kWinBound, as kWinScore less the plies from the root to the five. The table
// keeps a proven result as the plies from its own position instead, so that the same position
// reached at another ply reads the same distance to the five.
#pragma once

#include "deep/evaluation.h"

namespace zarvo::deep {

inline constexpr int kWinScore = 20000;
// Scores beyond this are wins or losses found by the search (kWinScore less the plies to go).
inline constexpr int kWinBound = kWinScore - 1000;
static_assert(kEvalLimit < kWinBound);

// The plies to the five of a proven result: positive for a win of the side whose score it is,
// negative for a loss, 0 for a score that proves nothing.
constexpr int PliesToFive(int score) {
  return score > kWinBound ? kWinScore - score : score < -kWinBound ? -(kWinScore + score) : 0;
}

// A score found `ply` plies from the root as the table keeps it, and back.
constexpr int ScoreToTable(int score, int ply) {
  if (score > kWinBound) return score + ply;
  if (score < -kWinBound) return score - ply;
  return score;
}
constexpr int ScoreFromTable(int score, int ply) {
  if (score > kWinBound) return score - ply;
  if (score < -kWinBound) return score + ply;
  return score;
}

}  // namespace zarvo::deep
