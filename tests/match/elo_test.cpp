// The Elo estimate of a match score against values worked out by hand from its formula.
#include <gtest/gtest.h>

#include "match/elo.h"

namespace zarvo::match {
namespace {

TEST(Elo, DifferenceAndMarginOfKnownScores) {
  struct TCase {
    int Wins, Losses, Draws;
    double Difference;
    std::optional<double> Margin;
  };
  const TCase cases[] = {
      {60, 40, 0, 70.4365, 70.5725},                             // s = 0.6: -400 log10(2/3)
      {30, 20, 50, 34.8601, 48.4711},                            // draws narrow the spread
      {10, 10, 0, 0.0, 163.3248},         {0, 0, 10, 0.0, 0.0},  // only draws: no spread at all
      {1, 3, 0, -190.8485, std::nullopt},  // the interval reaches a score of 0 or 1
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Wins << "/" << c.Losses << "/" << c.Draws);
    const TEloEstimate estimate = EstimateElo(c.Wins, c.Losses, c.Draws);
    ASSERT_TRUE(estimate.Difference);
    EXPECT_NEAR(*estimate.Difference, c.Difference, 1e-3);
    ASSERT_EQ(estimate.Margin.has_value(), c.Margin.has_value());
    if (c.Margin) {
      EXPECT_NEAR(*estimate.Margin, *c.Margin, 1e-3);
    }
  }
}

// A clean sweep and an empty match have no finite difference; nothing divides by zero.
TEST(Elo, UnboundedScoresGiveNoNumber) {
  for (const auto& [wins, losses, draws] : {std::tuple{5, 0, 0}, {0, 7, 0}, {0, 0, 0}}) {
    const TEloEstimate estimate = EstimateElo(wins, losses, draws);
    EXPECT_FALSE(estimate.Difference);
    EXPECT_FALSE(estimate.Margin);
  }
  EXPECT_DOUBLE_EQ(EstimateElo(5, 0, 0).Score, 1.0);
  EXPECT_FALSE(EloOfScore(0.0));
  EXPECT_FALSE(EloOfScore(1.0));
}

}  // namespace
}  // namespace zarvo::match
