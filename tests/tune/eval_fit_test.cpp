// Fitting the deep evaluation: which positions of a game become samples, and the regression.
#include "tune/eval_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zarvo::tune {
namespace {

// x wins down the column x = 10 while o plays along the edge.
match::TGameRecord ColumnWin() {
  match::TGameRecord game;
  game.Opening = {{10, 10}, {15, 0}, {10, 11}};
  for (const TSquare s : {TSquare{15, 2}, {10, 12}, {15, 4}, {10, 13}, {15, 6}, {10, 14}})
    game.Moves.push_back({s, 1});
  game.Outcome = match::TOutcome::XWins;
  game.Reason = match::TEndReason::Five;
  return game;
}

TEST(EvalFit, SamplesArePositionsTheSearchWouldEvaluate) {
  // After the opening, o to move; x to move; o to move against an open three. Then x can make an
  // open four, o faces a four, x has a five: the search decides those without the evaluation.
  const std::vector<TEvalSample> samples = SamplesOf(ColumnWin());
  ASSERT_EQ(samples.size(), 3u);
  EXPECT_EQ(samples[0].Result, 0.0f);
  EXPECT_FALSE(samples[0].FirstToMove);
  EXPECT_EQ(samples[1].Result, 1.0f);
  EXPECT_TRUE(samples[1].FirstToMove);
  EXPECT_EQ(samples[2].Result, 0.0f);
  EXPECT_EQ(samples[2].Terms.Opponent[deep::P4Flex4], 2);  // x's open three: two open fours

  match::TGameRecord forfeit = ColumnWin();
  forfeit.Reason = match::TEndReason::Timeout;
  EXPECT_TRUE(SamplesOf(forfeit).empty());
  // A stone beyond the 15 x 15 board the record says: the game was not played there.
  match::TGameRecord small = ColumnWin();
  small.BoardSize = 15;
  EXPECT_TRUE(SamplesOf(small).empty());
}

// A fit keeps its samples packed: what it reads back is the sample, at the extremes a board
// allows too (every square of one class, a line value below zero, a draw).
TEST(EvalFit, PackedSamplesReadBackWhole) {
  std::vector<TEvalSample> samples = SamplesOf(ColumnWin());
  TEvalSample extreme;
  extreme.Terms.Own.fill(400);
  extreme.Terms.Opponent[deep::P4Flex2] = 399;
  extreme.Terms.LineValueDiff = -123456;
  extreme.Terms.UnansweredOpenFours = 200;
  extreme.FirstToMove = true;
  extreme.Result = 0.5f;
  samples.push_back(extreme);
  for (const TEvalSample& sample : samples) {
    const TEvalSample back = Unpack(Pack(sample));
    EXPECT_EQ(back.Terms.Own, sample.Terms.Own);
    EXPECT_EQ(back.Terms.Opponent, sample.Terms.Opponent);
    EXPECT_EQ(back.Terms.LineValueDiff, sample.Terms.LineValueDiff);
    EXPECT_EQ(back.Terms.UnansweredOpenFours, sample.Terms.UnansweredOpenFours);
    EXPECT_EQ(back.FirstToMove, sample.FirstToMove);
    EXPECT_EQ(back.Result, sample.Result);
  }
}

TEST(EvalFit, LogisticRegressionRecoversTheModel) {
  // Results drawn from known odds: 0.5 - 0.8 u + 1.2 v; a column that is always zero stays zero.
  std::mt19937 random(7);
  std::vector<std::vector<double>> rows;
  std::vector<double> results;
  for (int i = 0; i < 40000; ++i) {
    const double u = static_cast<double>(random() % 6),
                 v = static_cast<double>(random() % 1001) / 500 - 1;
    const double p = 1 / (1 + std::exp(-(0.5 - 0.8 * u + 1.2 * v)));
    rows.push_back({1, u, v, 0});
    results.push_back(static_cast<double>(random() % 100000) < p * 100000 ? 1 : 0);
  }
  const std::vector<double> b = FitLogistic(rows, results);
  ASSERT_EQ(b.size(), 4u);
  EXPECT_NEAR(b[0], 0.5, 0.1);
  EXPECT_NEAR(b[1], -0.8, 0.05);
  EXPECT_NEAR(b[2], 1.2, 0.1);
  EXPECT_EQ(b[3], 0.0);
}

}  // namespace
}  // namespace zarvo::tune
