// The match's sequential test against values worked out by hand from its formulas.
#include "match/sprt.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zarvo::match {
namespace {

TEST(Sprt, BoundsAndScoresOfKnownSettings) {
  struct TCase {
    double Alpha, Beta, Lower, Upper;
  };
  const TCase cases[] = {
      {0.05, 0.05, -2.944439, 2.944439},  // log(1/19), log(19)
      {0.05, 0.10, -2.251292, 2.890372},  // log(0.1/0.95), log(0.9/0.05)
  };
  for (const TCase& c : cases) {
    const TSprtBounds bounds = SprtBounds({0, 5, c.Alpha, c.Beta});
    EXPECT_NEAR(bounds.Lower, c.Lower, 1e-6);
    EXPECT_NEAR(bounds.Upper, c.Upper, 1e-6);
  }
  EXPECT_DOUBLE_EQ(ScoreOfElo(0), 0.5);
  EXPECT_NEAR(ScoreOfElo(5), 0.5071951, 1e-7);
  EXPECT_NEAR(ScoreOfElo(-3), 1 - ScoreOfElo(3), 1e-12);
  EXPECT_NEAR(ScoreOfElo(100), 0.6400650, 1e-7);
}

TEST(Sprt, LlrOfKnownPentanomials) {
  struct TCase {
    TPentanomial Pairs;
    double Elo0, Elo1, Llr;
  };
  const TCase cases[] = {
      // N 4, x = 2.5 / 4 = 0.625, v = (3 * 0.125^2 + 0.375^2) / 4 = 0.046875:
      // 4 * 0.0071951 * (1.25 - 1.0071951) / 0.09375 = 0.074539.
      {{0, 0, 3, 0, 1}, 0, 5, 0.074539},
      // Symmetric: x = 1/2, so the LLR is -N (s1 - s0)^2 / (2 v) with
      // v = (20 * 0.25 + 40 * 0.0625) / 100 = 0.075: -100 * 0.0071951^2 / 0.15.
      {{10, 20, 40, 20, 10}, 0, 5, -0.034513},
      {{5, 10, 30, 25, 10}, 0, 5, 0.629793},   // x = 0.5625: leaning to H1
      {{20, 10, 30, 10, 5}, 0, 5, -0.621161},  // x = 0.4: towards H0
      {{5, 10, 30, 25, 10}, -3, 3, 0.792268},  // bounds about zero
      {{0, 40, 120, 60, 20}, 0, 5, 2.367160},  // no pair lost twice
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Pairs[0] << " " << c.Pairs[1] << " " << c.Pairs[2] << " "
                                      << c.Pairs[3] << " " << c.Pairs[4]);
    EXPECT_NEAR(SprtLlr(c.Pairs, {c.Elo0, c.Elo1, 0.05, 0.05}), c.Llr, 1e-5);
  }
}

// Every pair alike has no spread, and the ratio would divide by zero: a pair spread evenly over
// the outcomes is added. Sixteen sweeps are not yet enough, twenty are; twelve split pairs lean to
// H0 only a little.
TEST(Sprt, PairsAllAlikeGetAnEvenSpreadPair) {
  struct TCase {
    TPentanomial Pairs;
    double Llr;
  };
  const TCase cases[] = {
      {{}, 0.0},
      // Counts 0.2 0.2 0.2 0.2 1.2: n 2, x = (0.2 * 1.5 + 1.2) / 2 = 0.75, v = 0.125, so
      // 2 * 0.0071951 * (1.5 - 1.0071951) / 0.25.
      {{0, 0, 0, 0, 1}, 0.028366},
      {{0, 0, 0, 0, 15}, 2.384093},
      {{0, 0, 0, 0, 16}, 2.695160},
      {{0, 0, 0, 0, 20}, 4.129914},
      {{0, 0, 12, 0, 0}, -0.034996},
      {{0, 0, 120, 0, 0}, -3.031811},
      {{3, 0, 0, 0, 0}, -0.139471},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Pairs[0] << " " << c.Pairs[2] << " " << c.Pairs[4]);
    EXPECT_NEAR(SprtLlr(c.Pairs, {}), c.Llr, 1e-5);
  }
}

TEST(Sprt, VerdictAtAndBeyondTheBounds) {
  const TSprtBounds bounds{-2.5, 3.0};
  EXPECT_EQ(SprtVerdictOf(3.0, bounds), TSprtVerdict::AcceptH1);
  EXPECT_EQ(SprtVerdictOf(2.99, bounds), TSprtVerdict::Continue);
  EXPECT_EQ(SprtVerdictOf(-2.5, bounds), TSprtVerdict::AcceptH0);
  EXPECT_EQ(SprtVerdictOf(-2.49, bounds), TSprtVerdict::Continue);
}

TEST(Sprt, PairsOfGamesCountOnlyWholePairsFromTheFirstEnginesSide) {
  const auto game = [](int number, TOutcome outcome) {
    TGameRecord record;
    record.Number = number;
    record.Outcome = outcome;
    return record;
  };
  // Finished out of order, as games played side by side do; game 6's partner is still playing.
  const std::vector<TGameRecord> games = {
      game(2, TOutcome::OWins),  // the first engine plays o in even games: its win
      game(1, TOutcome::XWins),  // pair 1: 2 points
      game(3, TOutcome::XWins), game(4, TOutcome::XWins),  // pair 2: 1 point, a win each
      game(6, TOutcome::Draw),  game(8, TOutcome::XWins),
      game(7, TOutcome::Draw),  // pair 4: 1/2 point
  };
  EXPECT_EQ(PairsOfGames(games), (TPentanomial{0, 1, 1, 0, 1}));
}

}  // namespace
}  // namespace zarvo::match
