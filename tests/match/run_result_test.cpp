// A run's result file read back as written, refused when it is not one, and runs of one match
// merged with what is missing or there twice.
#include <gtest/gtest.h>

#include <sstream>

#include "match/run_merge.h"
#include "match/run_result.h"

namespace zarvo::match {
namespace {

TMatchIdentity SampleMatch(bool sprt) {
  TMatchOptions options;
  options.Games = 7;
  options.MoveTimeMs = 250;
  options.GameTimeMs = 60000;
  options.Seed = 9;
  TMatchIdentity match =
      IdentityOf({"pipe:/opt/a --seed 1", "file:/opt/b"}, options,
                 sprt ? std::optional(TSprtSettings{-1.5, 3.25, 0.1, 0.025}) : std::nullopt);
  return match;
}

TGameRecord Game(int number, TOutcome outcome, TEndReason reason) {
  TGameRecord game;
  game.Number = number;
  game.Outcome = outcome;
  game.Reason = reason;
  return game;
}

// Figures per engine that differ in every field, so a swapped or lost field shows.
std::array<TEngineStats, 2> Figures(int seed) {
  std::array<TEngineStats, 2> stats;
  for (int e = 0; e < 2; ++e) {
    TEngineStats& s = stats[static_cast<std::size_t>(e)];
    s.Moves = seed + 10 * e;
    s.ThinkSumMs = 1000 * seed + e;
    s.ThinkMaxMs = 100 + seed + e;
    s.LateMoves = e;
    s.LateMaxMs = 7 * e;
  }
  return stats;
}

std::optional<TRunResult> Parse(const std::string& text, std::string& error) {
  std::istringstream in(text);
  return ParseRunResult(in, error);
}

// Shard 0/3 of seven games plays pairs 0 (games 1, 2) and 3 (game 7, alone).
std::string SampleRun(bool sprt, bool ended) {
  std::string text = RunHeaderText(SampleMatch(sprt), 0, 3);
  text += GameResultLine(Game(2, TOutcome::XWins, TEndReason::Five), Figures(2));
  text += GameResultLine(Game(1, TOutcome::OWins, TEndReason::Timeout), Figures(1));
  text += GameResultLine(Game(7, TOutcome::Draw, TEndReason::FullBoard), Figures(7));
  if (ended) text += RunEndLine(TMatchProgress::Finished);
  return text;
}

TEST(RunResult, ReadsBackAsWrittenWithTheGamesScoredByColour) {
  for (const bool sprt : {false, true}) {
    std::string error;
    const auto run = Parse(SampleRun(sprt, true), error);
    ASSERT_TRUE(run) << error;
    EXPECT_EQ(run->Match, SampleMatch(sprt));
    EXPECT_EQ(run->Match.Openings, "seed 9");
    EXPECT_EQ(run->ShardIndex, 0);
    EXPECT_EQ(run->ShardCount, 3);
    EXPECT_EQ(run->End, TMatchProgress::Finished);
    ASSERT_EQ(run->Games.size(), 3u);
    const TGameResult& two = run->Games[0];
    EXPECT_EQ(two.Number, 2);
    EXPECT_EQ(two.Reason, TEndReason::Five);
    const std::array<TEngineStats, 2> figures = Figures(2);
    for (int e = 0; e < 2; ++e) {
      const TEngineStats& s = two.Engines[static_cast<std::size_t>(e)];
      const TEngineStats& written = figures[static_cast<std::size_t>(e)];
      EXPECT_EQ(s.Moves, written.Moves);
      EXPECT_EQ(s.ThinkSumMs, written.ThinkSumMs);
      EXPECT_EQ(s.ThinkMaxMs, written.ThinkMaxMs);
      EXPECT_EQ(s.LateMoves, written.LateMoves);
      EXPECT_EQ(s.LateMaxMs, written.LateMaxMs);
    }
    // Game 2: B plays x and wins; game 1: A plays x and loses on time; game 7: a draw, A as x.
    EXPECT_EQ(two.Engines[1].Wins, (std::array<int, 2>{1, 0}));
    EXPECT_EQ(two.Engines[0].Losses, (std::array<int, 2>{0, 1}));
    EXPECT_EQ(run->Games[1].Engines[0].LossReasons.at(TEndReason::Timeout), 1);
    EXPECT_EQ(run->Games[1].Engines[1].Wins, (std::array<int, 2>{0, 1}));
    EXPECT_EQ(run->Games[2].Engines[0].Draws, (std::array<int, 2>{1, 0}));
  }
}

// The openings from a file are told apart by their stones, not by where the file was.
TEST(RunResult, OpeningsFromAFileAreKnownByTheirStones) {
  TMatchOptions options;
  options.Openings = {{{9, 9}, {10, 10}}};
  const TMatchIdentity one = IdentityOf({"a", "b"}, options, std::nullopt);
  options.Openings = {{{9, 9}, {10, 9}}};
  const TMatchIdentity other = IdentityOf({"a", "b"}, options, std::nullopt);
  EXPECT_TRUE(one.Openings.starts_with("file 1 ")) << one.Openings;
  EXPECT_NE(one.Openings, other.Openings);
  options.Openings.clear();
  EXPECT_EQ(IdentityOf({"a", "b"}, options, std::nullopt).Openings, "seed 1");
}

// A run killed while it wrote leaves a last line without its end: that game is left out, the
// games before it stand, and the run counts as unended.
TEST(RunResult, ALastLineCutShortIsLeftOut) {
  const std::string whole = SampleRun(false, false);
  std::string error;
  const auto cut = Parse(whole.substr(0, whole.size() - 5), error);
  ASSERT_TRUE(cut) << error;
  ASSERT_EQ(cut->Games.size(), 2u);
  EXPECT_EQ(cut->Games[1].Number, 1);
  EXPECT_FALSE(cut->End);
  // Cut inside the header, it is no run at all.
  EXPECT_FALSE(Parse(whole.substr(0, 40), error));
}

TEST(RunResult, TextThatIsNoRunIsRefused) {
  const std::string header = RunHeaderText(SampleMatch(false), 1, 3);
  const std::string game = "Game 3: o wins | timeout | A 1 2 3 0 0 | B 1 2 3 0 0\n";
  struct TCase {
    std::string Text;
    const char* Error;
  };
  const TCase cases[] = {
      {"", "the header ends early"},
      {"Engine B: x\n" + header, "'Engine A' expected"},
      {header + "Game 5: x wins | five | A 1 2 3 0 0 | B 1 2 3 0 0\n", "not one of shard 1/3"},
      {header + "Game 9: x wins | five | A 1 2 3 0 0 | B 1 2 3 0 0\n", "not one of shard 1/3"},
      {header + game + game, "game 3 twice"},
      {header + "Game 3: x loses | five | A 1 2 3 0 0 | B 1 2 3 0 0\n", "bad game line"},
      {header + "Game 3: x wins | fives | A 1 2 3 0 0 | B 1 2 3 0 0\n", "bad game line"},
      {header + "Game 3: x wins | five | B 1 2 3 0 0 | A 1 2 3 0 0\n", "bad game line"},
      {header + "Game 3: x wins | five | A 1 -2 3 0 0 | B 1 2 3 0 0\n", "bad game line"},
      {header + "Game 3: x wins | five | A 1 2 3 0 | B 1 2 3 0 0\n", "bad game line"},
      {header + "End: finished\n" + game, "text after the End line"},
      {header + "End: playing\n", "bad End"},
      {header + "Move 3: x 1,1\n", "'Game N' or 'End' expected"},
  };
  for (const TCase& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.Text, error)) << c.Text;
    EXPECT_NE(error.find(c.Error), std::string::npos) << c.Text << "\n" << error;
  }
  // A merge lists every game missing: a count past any match is refused, not taken at its word.
  for (const char* games : {"0", "1000001", "2147483647", "x"}) {
    std::string text = header;
    text.replace(text.find("Games: 7"), 8, std::string("Games: ") + games);
    std::string error;
    EXPECT_FALSE(Parse(text, error)) << games;
    EXPECT_NE(error.find("bad Games"), std::string::npos) << error;
  }
  for (const char* shard : {"3/3", "1/0", "-1/3", "1", "1/3/5", "1/1000001"}) {
    std::string text = header;
    text.replace(text.find("Shard: 1/3"), 10, std::string("Shard: ") + shard);
    std::string error;
    EXPECT_FALSE(Parse(text, error)) << shard;
    EXPECT_NE(error.find("bad Shard"), std::string::npos) << error;
  }
}

// Shards 1/3 and 0/3 of seven games, the second given twice, and one of another match: what is
// missing, what is there twice (counted once), which runs did not end, and a mix refused.
TEST(RunMerge, CountsEachGameOnceAndSaysWhatIsMissing) {
  std::string error;
  const auto one =
      Parse(RunHeaderText(SampleMatch(true), 1, 3) +
                GameResultLine(Game(3, TOutcome::XWins, TEndReason::Five), Figures(3)) +
                GameResultLine(Game(4, TOutcome::Draw, TEndReason::FullBoard), Figures(4)) +
                RunEndLine(TMatchProgress::Stopped),
            error);
  ASSERT_TRUE(one) << error;
  const auto zero = Parse(SampleRun(true, false), error);
  ASSERT_TRUE(zero) << error;

  const auto merged = MergeRuns({*one, *zero, *zero}, error);
  ASSERT_TRUE(merged) << error;
  EXPECT_EQ(merged->Missing, (std::vector<int>{5, 6}));
  EXPECT_EQ(merged->Duplicated, (std::vector<int>{1, 2, 7}));
  EXPECT_EQ(merged->Unended, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(merged->Stopped, (std::vector<std::size_t>{0}));
  std::vector<int> numbers;
  for (const TGameRecord& game : merged->Result.Games) numbers.push_back(game.Number);
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4, 7}));
  // A: won 3 (x), drew 4 (o), lost 2 (o), lost 1 on time (x), drew 7 (x); each game once.
  const TEngineStats& a = merged->Result.Engines[0];
  EXPECT_EQ(a.Wins, (std::array<int, 2>{1, 0}));
  EXPECT_EQ(a.Losses, (std::array<int, 2>{1, 1}));
  EXPECT_EQ(a.Draws, (std::array<int, 2>{1, 1}));
  EXPECT_EQ(a.LossReasons.at(TEndReason::Timeout), 1);
  EXPECT_EQ(a.Moves, 3 + 4 + 2 + 1 + 7);
  EXPECT_EQ(a.ThinkMaxMs, 107);
  // The test counts the whole pairs alone: games 1 and 2 (B both), 3 and 4 (A one and a half).
  EXPECT_EQ(PairsOfGames(merged->Result.Games), (TPentanomial{1, 0, 0, 1, 0}));

  TRunResult other = *one;
  other.Match.MoveTimeMs = 1000;
  EXPECT_FALSE(MergeRuns({*one, other}, error));
  EXPECT_NE(error.find("run 2 is of another match than run 1: 'Move time: 1000' against "
                       "'Move time: 250'"),
            std::string::npos)
      << error;
  EXPECT_FALSE(MergeRuns({}, error));
}

}  // namespace
}  // namespace zarvo::match
