// The files a match keeps for a watcher: replaced whole, a game so far read back as such, and
// the match's own state.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "match/game_record.h"
#include "match/match_folder.h"
#include "tests/test_support.h"

namespace zarvo::match {
namespace {

TGameRecord SampleGame() {
  TGameRecord game;
  game.Number = 12;
  game.XEngine = "pipe:/opt/a";
  game.OEngine = "pipe:/opt/b";
  game.BoardSize = 15;
  game.ExactlyFive = true;
  game.Opening = {{7, 7}, {8, 8}};
  game.Moves = {{{7, 8}, 30}, {{10, 10}, 41}, {{7, 9}, 12}, {{14, 0}, 9}};
  game.Messages = {{4, "depth 3 eval 12"}};
  game.Outcome = TOutcome::XWins;
  game.Reason = TEndReason::Five;
  game.Detail = "7,6 7,7 7,8 7,9 7,10";
  return game;
}

TEST(MatchFolder, AReaderSeesTheOldTextOrTheNewNeverAPart) {
  const testing::TTempDir dir;
  const auto path = dir / "game-001.live";
  // Two texts of different lengths: a write in place would let a reader see a mix or a cut.
  const std::string small = "short\n", large = std::string(20000, 'x') + "\n";
  std::string error;
  ASSERT_TRUE(ReplaceFile(path, small, error)) << error;
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      const std::string text = dir.Read("game-001.live");
      if (text != small && text != large) ++torn;
    }
  });
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(ReplaceFile(path, i % 2 ? small : large, error));
  done = true;
  reader.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(dir.Read("game-001.live"), small);
  EXPECT_FALSE(dir.Exists("game-001.live.tmp"));
}

TEST(MatchFolder, AFileThatCannotBeWrittenSaysSoAndLeavesNothing) {
  const testing::TTempDir dir;
  std::string error;
  EXPECT_FALSE(ReplaceFile(dir / "no-such-folder" / "game-001.txt", "text\n", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  // A folder in the way of the rename: the temporary file goes.
  std::filesystem::create_directories(dir / "game-002.txt" / "inside");
  EXPECT_FALSE(ReplaceFile(dir / "game-002.txt", "text\n", error));
  EXPECT_NE(error.find("cannot rename"), std::string::npos) << error;
  EXPECT_FALSE(dir.Exists("game-002.txt.tmp"));
}

TEST(MatchFolder, GameFileNames) {
  EXPECT_EQ(GameFileName(7, kRecordExtension), "game-007.txt");
  EXPECT_EQ(GameFileName(1234, kGameSoFarExtension), "game-1234.live");
}

TEST(MatchFolder, TheGameSoFarReadsBackUnfinishedAndIsNoRecord) {
  TGameRecord game = SampleGame();
  game.Moves.pop_back();
  std::istringstream in(GameSoFarText(game));
  std::string error;
  bool finished = true;
  const auto back = ParseGameSoFar(in, error, finished);
  ASSERT_TRUE(back) << error;
  EXPECT_FALSE(finished);
  EXPECT_EQ(back->Number, 12);
  EXPECT_EQ(back->Stones(), game.Stones());
  EXPECT_EQ(back->BoardSize, 15);
  EXPECT_TRUE(back->ExactlyFive);
  ASSERT_EQ(back->Messages.size(), 1u);
  EXPECT_EQ(back->Messages[0].Text, "depth 3 eval 12");

  // The tools that take records want a finished game.
  std::istringstream again(GameSoFarText(game));
  EXPECT_FALSE(ParseRecord(again, error));
  EXPECT_NE(error.find("incomplete record"), std::string::npos) << error;

  std::istringstream record(RecordText(SampleGame()));
  ASSERT_TRUE(ParseGameSoFar(record, error, finished)) << error;
  EXPECT_TRUE(finished);
}

// A file read while a writer that is not atomic writes it: every cut of the text is either
// refused or an earlier position of the same game (same number, board and rule, the stones a
// prefix), and is finished only once the result and its reason are both there.
TEST(MatchFolder, ARecordCutAnywhereIsNeverAnotherGame) {
  const TGameRecord game = SampleGame();
  const std::string text = RecordText(game);
  const std::vector<TSquare> stones = game.Stones();
  const std::size_t reasonEnd = text.find('\n', text.find("Reason:")) + 1;
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    std::istringstream in(text.substr(0, cut));
    std::string error;
    bool finished = false;
    const auto read = ParseGameSoFar(in, error, finished);
    if (!read) continue;
    SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
    EXPECT_EQ(read->Number, game.Number);
    EXPECT_EQ(read->BoardSize, game.BoardSize);
    EXPECT_EQ(read->ExactlyFive, game.ExactlyFive);
    const std::vector<TSquare> got = read->Stones();
    ASSERT_LE(got.size(), stones.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), stones.begin()));
    EXPECT_EQ(finished, cut >= reasonEnd);
  }
}

TEST(MatchFolder, MatchStateReadsBackAndBadTextIsRefused) {
  for (const TMatchProgress progress :
       {TMatchProgress::Playing, TMatchProgress::Finished, TMatchProgress::Stopped}) {
    std::string error;
    const auto back = ParseMatchState(MatchStateText({6, progress}), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->Games, 6);
    EXPECT_EQ(back->Progress, progress);
  }
  for (const char* bad : {"", "Games: 6\n", "State: playing\n", "Games: 0\nState: playing\n",
                          "Games: 6x\nState: playing\n", "Games: 6\nState: paused\n",
                          "Games: 6\nState: playing\nColour: red\n"}) {
    std::string error;
    EXPECT_FALSE(ParseMatchState(bad, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace zarvo::match
