// The score conventions a search change must not bend: a proven result read back from the table
// at another ply keeps its distance to the five from its own position, so a shorter win scores
// higher and a shorter loss lower wherever either was found.
#include "deep/score.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "deep/transposition.h"

namespace zarvo::deep {
namespace {

// The score of a five `plies` away from a position `ply` plies from the root: a win for the side
// to move there, or with `win` false a loss.
int ProvenScore(bool win, int ply, int plies) {
  return win ? kWinScore - ply - plies : -(kWinScore - ply - plies);
}

// Stored through the table at one ply, read back at another.
int RoundTrip(int score, int storePly, int readPly) {
  TTranspositionTable table(64 << 10);
  constexpr uint64_t kKey = 0x1234'5678'9ABC'DEF0;
  table.Store(kKey, ScoreToTable(score, storePly), kBoundExact, 1, kNoSquare);
  const std::optional<TTableEntry> entry = table.Probe(kKey);
  return entry ? ScoreFromTable(entry->Score, readPly) : INT32_MIN;
}

TEST(TableScore, AProvenResultKeepsItsDistanceFromItsOwnPosition) {
  struct {
    int StorePly, ReadPly, Plies;
  } const cases[] = {{0, 0, 1}, {4, 2, 3}, {2, 9, 7}, {30, 1, 25}, {1, 60, 40}, {12, 12, 11}};
  for (const auto& c : cases) {
    for (const bool win : {true, false}) {
      const int read = RoundTrip(ProvenScore(win, c.StorePly, c.Plies), c.StorePly, c.ReadPly);
      EXPECT_EQ(read, ProvenScore(win, c.ReadPly, c.Plies))
          << (win ? "win" : "loss") << " stored at " << c.StorePly << " read at " << c.ReadPly;
      // Seen from the root: positive plies for a win, negative for a loss.
      EXPECT_EQ(PliesToFive(read), win ? c.ReadPly + c.Plies : -(c.ReadPly + c.Plies));
    }
  }
}

TEST(TableScore, AScoreThatProvesNothingIsKeptAsItIs) {
  for (const int score : {0, 1, -1, kEvalLimit, -kEvalLimit, kWinBound, -kWinBound}) {
    for (const int ply : {0, 7, 63}) {
      EXPECT_EQ(RoundTrip(score, ply, 3), score) << score << " at " << ply;
      EXPECT_EQ(PliesToFive(score), 0) << score;
    }
  }
}

TEST(TableScore, AShorterWinScoresHigherAndAShorterLossLower) {
  // A win in 3 plies found deep in the tree against a win in 5 found near the root, both read at
  // the same node: the quicker five is the better score, and every proven result lies beyond
  // every evaluation.
  const int quickWin = RoundTrip(ProvenScore(true, 10, 3), 10, 4);
  const int slowWin = RoundTrip(ProvenScore(true, 2, 5), 2, 4);
  EXPECT_GT(quickWin, slowWin);
  EXPECT_GT(slowWin, kEvalLimit);
  const int quickLoss = RoundTrip(ProvenScore(false, 10, 3), 10, 4);
  const int slowLoss = RoundTrip(ProvenScore(false, 2, 5), 2, 4);
  EXPECT_LT(quickLoss, slowLoss);
  EXPECT_LT(slowLoss, -kEvalLimit);
}

}  // namespace
}  // namespace zarvo::deep
