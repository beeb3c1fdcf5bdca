// zarvo fit-eval as a user runs it: weights from a folder of records, and bad input.
#include <gtest/gtest.h>

#include <string>

#include "match/game_record.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TTempDir;

// x builds a column from y = 8 and o a row at y = 2. In two games of three x's column is whole
// and x makes five first; in the third it has gaps and o makes five.
std::string GameText(int number) {
  const bool xWins = number % 3 != 0;
  const int column = 4 + number % 12, row = number % 10;
  std::vector<TSquare> stones;
  for (int i = 0; i < 5; ++i) {
    stones.push_back({column, 8 + (xWins ? i : 2 * i)});
    if (xWins && i == 4) break;
    stones.push_back({row + i, 2});
  }
  match::TGameRecord game;
  game.Number = number;
  game.Opening.assign(stones.begin(), stones.begin() + 3);
  for (std::size_t i = 3; i < stones.size(); ++i) game.Moves.push_back({stones[i], 1});
  game.Outcome = xWins ? match::TOutcome::XWins : match::TOutcome::OWins;
  game.Reason = match::TEndReason::Five;
  return match::RecordText(game);
}

TEST(FitEvalTool, PrintsWeightsFittedToAFolderOfRecords) {
  // As 'zarvo match --records DIR --svg DIR' leaves them, and a second match's in a subfolder.
  TTempDir dir;
  std::filesystem::create_directories(dir / "second");
  for (int game = 1; game <= 10; ++game) {
    const std::string name = (game > 5 ? "second/game-" : "game-") + std::to_string(game);
    dir.Write(name + ".txt", GameText(game));
    dir.Write(name + ".svg", "<svg/>\n");
  }
  const testing::TRun run = RunTool({"fit-eval", dir.Path().string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(run.Out.starts_with("games 10 (0 left out), positions ")) << run.Out;
  EXPECT_NE(run.Out.find("log loss on the held-out games: a coin 0.6931"), std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("inline constexpr TEvalWeights kEvalWeights = {\n    .Own = {"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find("    .Tempo = "), std::string::npos) << run.Out;
}

TEST(FitEvalTool, RefusesBadInput) {
  TTempDir dir;
  dir.Write("notes.txt", "no record here\n");
  dir.Write("game-1.txt", GameText(1));
  const struct {
    std::vector<std::string> Args;
    int Status;
  } cases[] = {
      {{"fit-eval"}, 2},
      {{"fit-eval", "--board", "15", dir.Path().string()}, 2},  // the records say it
      {{"fit-eval", "--exact-five", dir.Path().string()}, 2},
      {{"fit-eval", "--depth", dir.Path().string()}, 2},
      {{"fit-eval", dir.Path().string()}, 1},            // notes.txt is no record
      {{"fit-eval", (dir / "game-1.txt").string()}, 1},  // too few games to fit
      {{"fit-eval", (dir / "missing.txt").string()}, 1},
  };
  for (const auto& c : cases) {
    const testing::TRun run = RunTool(c.Args);
    EXPECT_EQ(run.Status, c.Status) << c.Args.back();
    EXPECT_FALSE(run.Err.empty()) << c.Args.back();
  }
}

}  // namespace
}  // namespace zarvo
