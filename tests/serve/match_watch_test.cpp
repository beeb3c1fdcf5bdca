// A match followed from its folder: what the page is told at each stage of the match, files
// that cannot be read named and never drawn, and the folder left as it was.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "match/game_record.h"
#include "match/match_folder.h"
#include "serve/match_watch.h"
#include "tests/test_support.h"

namespace zarvo::serve {
namespace {

using match::TGameRecord;

TGameRecord Game(int number, int moves) {
  TGameRecord game;
  game.Number = number;
  game.XEngine = "pipe:a";
  game.OEngine = "pipe:b";
  game.Opening = {{9, 9}};
  for (int i = 0; i < moves; ++i) game.Moves.push_back({{i, i % 2 ? 3 : 0}, 10});
  game.Outcome = match::TOutcome::Draw;
  game.Reason = match::TEndReason::FullBoard;
  return game;
}

std::string Playing(int games) {
  return match::MatchStateText({games, match::TMatchProgress::Playing});
}

bool Has(const std::string& json, const std::string& part) {
  return json.find(part) != std::string::npos;
}

TEST(MatchWatch, EachStageOfAMatchIsSaidOnThePage) {
  const testing::TTempDir dir;
  const auto folder = dir / "records";
  struct TStage {
    const char* Name;
    std::map<std::string, std::string> Files;  // in the folder; none at all: no folder
    std::vector<std::string> Says;
  };
  const std::string live2 = match::GameSoFarText(Game(2, 3));
  const std::string record1 = match::RecordText(Game(1, 4));
  const std::vector<TStage> stages = {
      {"no folder", {}, {"\"match\":\"none\"", "There is no folder", "\"live\":[]"}},
      {"an empty folder", {{"notes.md", "x"}}, {"No match in", "\"finished\":[]"}},
      {"between games",
       {{"match.live", Playing(4)}, {"game-001.txt", record1}},
       {"\"match\":\"playing\"", "Between games: 1 of 4 finished.", "\"number\":1"}},
      {"a game in progress",
       {{"match.live", Playing(4)}, {"game-001.txt", record1}, {"game-002.live", live2}},
       {"Playing game 2 of 4 (1 finished).", "\"live\":[{\"number\":2",
        "\"stones\":[[9,9],[0,0],[1,3],[2,0]]}"}},
      // The record is there and the game-so-far file not yet gone: the game is over.
      {"a game just ended",
       {{"match.live", Playing(4)},
        {"game-002.txt", match::RecordText(Game(2, 3))},
        {"game-002.live", live2}},
       {"Between games", "\"live\":[]"}},
      {"the end",
       {{"match.live", match::MatchStateText({2, match::TMatchProgress::Finished})},
        {"game-001.txt", record1}},
       {"\"match\":\"finished\"", "The match has ended: 1 game played."}},
      {"stopped",
       {{"match.live", match::MatchStateText({2, match::TMatchProgress::Stopped})}},
       {"The match was stopped: 0 games played."}},
      {"records without a match", {{"game-001.txt", record1}}, {"No match is being played here"}},
      {"a record not finished and a match file of another kind",
       {{"match.live", "Games: many\n"}, {"game-003.txt", live2}},
       {"game-003.txt is left out: the game in it is not finished.", "match.live cannot be read",
        "\"finished\":[]"}},
  };
  for (const TStage& stage : stages) {
    SCOPED_TRACE(stage.Name);
    std::filesystem::remove_all(folder);
    if (!stage.Files.empty()) std::filesystem::create_directories(folder);
    for (const auto& [name, text] : stage.Files) dir.Write("records/" + name, text);
    TMatchWatch watch(folder);
    const std::string json = watch.StateJson();
    for (const std::string& part : stage.Says) EXPECT_TRUE(Has(json, part)) << part << "\n" << json;
  }
}

TEST(MatchWatch, AGameSoFarThatCannotBeReadKeepsItsLastGoodPosition) {
  const testing::TTempDir dir;
  dir.Write("match.live", Playing(2));
  dir.Write("game-001.live", match::GameSoFarText(Game(1, 2)));
  TMatchWatch watch(dir.Path());
  const std::string good = "\"stones\":[[9,9],[0,0],[1,3]]";
  ASSERT_TRUE(Has(watch.StateJson(), good)) << watch.StateJson();

  // Cut in the middle of a square, as a writer in place would leave it for a moment.
  const std::string longer = match::GameSoFarText(Game(1, 4));
  dir.Write("game-001.live", longer.substr(0, longer.size() - 9));
  EXPECT_TRUE(watch.Poll());
  std::string json = watch.StateJson();
  EXPECT_TRUE(Has(json, good)) << json;
  EXPECT_TRUE(Has(json, "game-001.live cannot be read just now")) << json;
  EXPECT_TRUE(Has(json, "The board shows its last good position")) << json;

  dir.Write("game-001.live", longer);
  EXPECT_TRUE(watch.Poll());
  json = watch.StateJson();
  EXPECT_TRUE(Has(json, "\"stones\":[[9,9],[0,0],[1,3],[2,0],[3,3]]")) << json;
  EXPECT_TRUE(Has(json, "\"problem\":\"\"")) << json;

  // A broken file never seen whole is named and not drawn.
  dir.Write("game-002.live", "Game: 2\nOpening: 9,9 9,9\n");
  EXPECT_TRUE(watch.Poll());
  json = watch.StateJson();
  EXPECT_TRUE(Has(json,
                  "game-002.live cannot be read just now: line 2: opening stone on an "
                  "occupied square."))
      << json;
  EXPECT_FALSE(Has(json, "\"number\":2")) << json;
}

TEST(MatchWatch, ChangesOnlyWhenTheFolderDoesAndNeverWritesToIt) {
  const testing::TTempDir dir;
  dir.Write("match.live", Playing(2));
  dir.Write("game-001.live", match::GameSoFarText(Game(1, 2)));
  dir.Write("game-002.txt", "Game: 2\n");
  const auto listing = [&] {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      files[entry.path().filename().string()] = dir.Read(entry.path().filename().string());
    return files;
  };
  const auto before = listing();
  TMatchWatch watch(dir.Path());
  const uint64_t version = watch.Version();
  EXPECT_FALSE(watch.Poll());
  EXPECT_EQ(watch.Version(), version);
  dir.Write("game-001.live", match::GameSoFarText(Game(1, 3)));
  EXPECT_TRUE(watch.Poll());
  EXPECT_GT(watch.Version(), version);
  auto after = listing();
  after["game-001.live"] = before.at("game-001.live");
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace zarvo::serve
