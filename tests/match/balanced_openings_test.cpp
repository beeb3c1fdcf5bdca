// The balanced-openings generator at tiny settings: what it keeps honours every filter, and a
// seed gives one suite.
#include "match/balanced_openings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "match/game_rules.h"

namespace zarvo::match {
namespace {

bool DistinctStones(const TOpening& stones) {
  std::set<std::pair<int, int>> squares;
  for (const TSquare& stone : stones) squares.emplace(stone.X, stone.Y);
  return squares.size() == stones.size();
}

TBalancedSettings TinySettings(uint32_t seed) {
  TBalancedSettings settings;
  settings.Seed = seed;
  settings.Candidates = 4;
  settings.JudgeDepth = 2;
  settings.JudgeNodes = 4'000;
  settings.JudgeVctNodes = 2'000;
  settings.Band = 800;
  settings.PlayDepths = {1, 2};
  settings.PlayNodes = 800;
  settings.MaxGameStones = 50;
  settings.RootSolvers = false;
  return settings;
}

TEST(BalancedOpenings, KeptOpeningsPassEveryFilter) {
  const TBalancedSettings settings = TinySettings(3);
  std::vector<TCandidateReport::TVerdict> verdicts;
  const std::vector<TBalancedOpening> kept = GenerateBalancedOpenings(
      settings, [&](const TCandidateReport& report) { verdicts.push_back(report.Verdict); });
  ASSERT_EQ(verdicts.size(), 4u);
  ASSERT_FALSE(kept.empty()) << "tiny settings should still keep an opening";
  EXPECT_EQ(std::count(verdicts.begin(), verdicts.end(), TCandidateReport::Kept),
            static_cast<long>(kept.size()));
  for (const TBalancedOpening& opening : kept) {
    SCOPED_TRACE(opening.Stones.size());
    EXPECT_GE(opening.Stones.size(), 3u);
    EXPECT_LE(opening.Stones.size(), 5u);
    EXPECT_TRUE(DistinctStones(opening.Stones));
    for (const TSquare& stone : opening.Stones) {
      // Within three squares and a half of the 20 x 20 board's centre point (9.5, 9.5).
      EXPECT_TRUE(stone.X >= 6 && stone.X <= 13 && stone.Y >= 6 && stone.Y <= 13)
          << SquareText(stone);
    }
    EXPECT_LE(std::abs(opening.Score), settings.Band);
    EXPECT_GT(opening.XWins, 0);
    EXPECT_GT(opening.OWins, 0);
    EXPECT_EQ(opening.XWins + opening.OWins + opening.Draws, 2);
  }
}

TEST(BalancedOpenings, JudgesEachPositionOnceAndTheSameWayEveryRun) {
  TBalancedSettings settings = TinySettings(5);
  settings.Candidates = 40;
  settings.MinStones = settings.MaxStones = 2;
  settings.Radius = 1;         // 16 squares: many draws repeat a position, mirrored or in order
  settings.MaxGameStones = 2;  // no game is won: only the judging counts here
  const auto judge = [&] {
    std::vector<std::pair<TOpening, int>> judged;
    GenerateBalancedOpenings(settings, [&](const TCandidateReport& report) {
      if (report.Verdict != TCandidateReport::Duplicate)
        judged.emplace_back(*report.Stones, report.Score);
    });
    return judged;
  };
  const auto first = judge();
  // 16 * 15 ordered pairs of an x and an o stone; up to the 8 symmetries far fewer positions.
  EXPECT_LT(first.size(), 30u);
  for (std::size_t i = 0; i < first.size(); ++i)
    for (std::size_t j = 0; j < i; ++j) {
      const TOpening& a = first[i].first;
      const TOpening& b = first[j].first;
      const auto mirror = [](TSquare s) { return TSquare{kBoardSize - 1 - s.X, s.Y}; };
      EXPECT_FALSE(a == b || (mirror(a[0]) == b[0] && mirror(a[1]) == b[1]))
          << SquareText(a[0]) << " " << SquareText(a[1]);
    }
  EXPECT_EQ(judge(), first);
}

TEST(BalancedOpenings, RandomOpeningsStayInTheCentralArea) {
  TBalancedSettings settings;
  settings.MinStones = 2;
  settings.MaxStones = 8;
  settings.Radius = 1;
  TRandom random(7);
  std::set<std::size_t> sizes;
  for (int k = 0; k < 200; ++k) {
    const TOpening opening = RandomCentralOpening(random, settings);
    sizes.insert(opening.size());
    ASSERT_TRUE(DistinctStones(opening));
    for (const TSquare& stone : opening)
      ASSERT_TRUE(stone.X >= 8 && stone.X <= 11 && stone.Y >= 8 && stone.Y <= 11)
          << SquareText(stone);
  }
  EXPECT_EQ(sizes, (std::set<std::size_t>{2, 3, 4, 5, 6, 7, 8}));
}

}  // namespace
}  // namespace zarvo::match
