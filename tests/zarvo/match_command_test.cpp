// The real zarvo program: `zarvo match` with the scripted engines, its records replayed, and the
// pictures of `zarvo match --svg`, `zarvo show` and `zarvo eval --svg`.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "match/game_record.h"
#include "tests/match/scripted_engines.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"
#include "tests/zarvo/svg_check.h"

namespace zarvo {
namespace {

using testing::CheckSvg;
using testing::TScriptedEngines;
using testing::TTempDir;

using testing::RunTool;
using testing::TRun;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One short match with records and pictures, shared by the tests that look at its output.
class MatchCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    engines_ = new TScriptedEngines;
    const std::string openings = engines_->File("openings.txt", "9,9 10,10\n");
    records_ = (engines_->Dir() / "records").string();
    svg_ = (engines_->Dir() / "pictures").string();
    run_ = new TRun(RunTool({"match", engines_->Entry("file-line"), engines_->Entry("pipe-legal"),
                             "--games", "2", "--move-time", "200", "--openings", openings,
                             // Wide, so a busy machine cannot make a game end on time.
                             "--tolerance", "3000", "--records", records_, "--svg", svg_}));
  }
  static void TearDownTestSuite() {
    delete run_;
    delete engines_;
  }
  static std::string Record(int game) {
    return records_ + "/game-00" + std::to_string(game) + ".txt";
  }

  static inline TScriptedEngines* engines_ = nullptr;
  static inline TRun* run_ = nullptr;
  static inline std::string records_, svg_;
};

TEST_F(MatchCommand, PrintsGamesTableScoreAndTimes) {
  ASSERT_EQ(run_->Status, 0) << run_->Err;
  const std::string& out = run_->Out;
  // The line player wins both games, once with each colour.
  EXPECT_NE(out.find("game 1: A as x, B as o: x wins (five: "), std::string::npos) << out;
  EXPECT_NE(out.find("game 2: B as x, A as o: o wins (five: "), std::string::npos) << out;
  EXPECT_NE(out.find("  A as x          1      1       0      0\n"
                     "  A as o          1      1       0      0\n"
                     "  A total         2      2       0      0\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Score A - B: 2 - 0 in 2 games (100.0 %)"), std::string::npos) << out;
  EXPECT_NE(out.find("A scored every point"), std::string::npos) << out;
  EXPECT_NE(out.find("Thinking time  moves  mean ms  max ms   late  most over ms"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  B: five 2"), std::string::npos) << out;
  // The progress line goes to stderr: games played, score, elapsed and time left.
  EXPECT_NE(run_->Err.find("games 2/2  A 2 - 0 B  elapsed 0:0"), std::string::npos) << run_->Err;
  EXPECT_NE(run_->Err.find("left ~"), std::string::npos) << run_->Err;
}

// What a watcher finds once the match is over: the records, the match ended, no game in progress
// and no file half made.
TEST_F(MatchCommand, TheRecordsFolderEndsWithTheMatchFinished) {
  ASSERT_EQ(run_->Status, 0) << run_->Err;
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(records_))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names,
            (std::set<std::string>{"game-001.txt", "game-002.txt", "match.live", "match.result"}));
  EXPECT_NE(ReadFile(records_ + "/match.live").find("Games: 2\nState: finished\n"),
            std::string::npos);
  std::set<std::string> pictures;
  for (const auto& entry : std::filesystem::directory_iterator(svg_))
    pictures.insert(entry.path().filename().string());
  EXPECT_EQ(pictures, (std::set<std::string>{"game-001.svg", "game-002.svg"}));
}

TEST_F(MatchCommand, RecordsReplayAsWritten) {
  ASSERT_EQ(run_->Status, 0) << run_->Err;
  std::ifstream in(Record(2));
  std::string error;
  const auto record = match::ParseRecord(in, error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->XEngine, engines_->Entry("pipe-legal"));
  EXPECT_EQ(record->Outcome, match::TOutcome::OWins);
  EXPECT_EQ(record->Reason, match::TEndReason::Five);

  const TRun final = RunTool({"match", "--replay", Record(2)});
  ASSERT_EQ(final.Status, 0) << final.Err;
  // Stone 1 is the opening's x at 9,9: column 9 of line 9, four characters a square.
  std::istringstream lines(final.Out);
  std::string line;
  bool sawFirstStone = false;
  while (std::getline(lines, line))
    if (line.starts_with("   9") && line.size() >= 44 && line.substr(40, 4) == "  1x")
      sawFirstStone = true;
  EXPECT_TRUE(sawFirstStone) << final.Out;
  EXPECT_EQ(std::count(final.Out.begin(), final.Out.end(), 'O'), 5) << final.Out;  // the five
  EXPECT_NE(final.Out.find("Result: o wins (five: "), std::string::npos);

  const TRun each = RunTool({"match", "--replay", Record(2), "--each"});
  ASSERT_EQ(each.Status, 0) << each.Err;
  for (std::size_t move = 3; move < 3 + record->Moves.size(); ++move)
    EXPECT_NE(each.Out.find("\nMove " + std::to_string(move) + ": "), std::string::npos) << move;
}

TEST_F(MatchCommand, PicturesAreWellFormedBoards) {
  ASSERT_EQ(run_->Status, 0) << run_->Err;
  for (const int game : {1, 2}) {
    const std::string svg = ReadFile(svg_ + "/game-00" + std::to_string(game) + ".svg");
    std::ifstream in(Record(game));
    std::string error;
    const auto record = match::ParseRecord(in, error);
    ASSERT_TRUE(record) << error;
    const auto check = CheckSvg(svg);
    ASSERT_EQ(check.Error, "") << svg;
    // 21 grid lines each way and the winning line; a circle per stone and a ring per five stone.
    const int stones = static_cast<int>(record->Stones().size());
    EXPECT_EQ(check.Elements.at("line"), 2 * 21 + 1);
    EXPECT_EQ(check.Elements.at("circle"), stones + 2 /* dashed opening rings */ + 5);
    // The red line lies over every stone (later in the document is on top) and under every
    // stone's number.
    const auto line = svg.find("class=\"five\"");
    ASSERT_NE(line, std::string::npos);
    EXPECT_LT(svg.rfind("stroke-width=\"1.5\""), line);  // the last stone
    for (int number = 1; number <= stones; ++number)
      EXPECT_NE(svg.find(">" + std::to_string(number) + "</text>", line), std::string::npos)
          << number;
    EXPECT_NE(std::find(check.Texts.begin(), check.Texts.end(), std::to_string(stones)),
              check.Texts.end());
    // zarvo show draws the same record the same way, to stdout or into a file.
    const TRun show = RunTool({"show", Record(game)});
    ASSERT_EQ(show.Status, 0) << show.Err;
    EXPECT_EQ(show.Out, svg);
  }
  const std::string file = (engines_->Dir() / "shown.svg").string();
  EXPECT_EQ(RunTool({"show", Record(1), "-o", file}).Status, 0);
  EXPECT_EQ(CheckSvg(ReadFile(file)).Error, "");
}

// What engines write ends up in the picture's caption: it must not break the document.
TEST(ShowCommand, EscapesTextFromTheRecord) {
  TTempDir dir;
  dir.Write("game.txt",
            "Game: 1\nx: file:/a&b/<engine>\no: pipe:\"quoted\"\nOpening: none\n"
            "Move 1: x 9,9 3 ms\nResult: o wins\nReason: bad answer\nDetail: answered '<&>'\n");
  const TRun run = RunTool({"show", (dir / "game.txt").string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(CheckSvg(run.Out).Error, "") << run.Out;
  EXPECT_NE(run.Out.find("file:/a&amp;b/&lt;engine&gt;"), std::string::npos);
}

TEST(EvalCommand, SvgIsAHeatMapOfTheMoveValues) {
  const std::string dir = std::string(ZARVO_SOURCE_DIR) + "/examples/opening";
  const TRun run = RunTool({"eval", "--svg", dir});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const auto check = CheckSvg(run.Out);
  ASSERT_EQ(check.Error, "") << run.Out;
  EXPECT_NE(run.Out.find("class=\"best\""), std::string::npos);
  // Every empty square is shaded: 400 squares less the stones, plus the background and board.
  const TRun json = RunTool({"eval", "--json", dir});
  const auto stonesAt = json.Out.find("\"stones\": ");
  ASSERT_NE(stonesAt, std::string::npos);
  const int stones = std::stoi(json.Out.substr(stonesAt + 10));
  EXPECT_EQ(check.Elements.at("circle"), stones);
  EXPECT_GE(check.Elements.at("rect"), 400 - stones + 2);
  EXPECT_EQ(RunTool({"eval", "--svg", "--json", dir}).Status, 2);
}

// A match that measured nothing fails and says why; one game played out is a match.
TEST(MatchCommandErrors, NoGamePlayedOutIsAFailure) {
  const TScriptedEngines engines;
  const TRun failed = RunTool(
      {"match", engines.Entry("pipe-nostart"), engines.Entry("file-legal"), "--games", "2"});
  EXPECT_EQ(failed.Status, 1) << failed.Err;
  EXPECT_NE(failed.Err.find("no game was played out"), std::string::npos) << failed.Err;
  EXPECT_NE(failed.Out.find("A: engine error 2"), std::string::npos) << failed.Out;
  // Its arguments reach the engine, and games run two at a time.
  const TRun played =
      RunTool({"match", engines.Entry("pipe-nostart") + " line", engines.Entry("file-legal"),
               "--games", "2", "--concurrency", "2", "--tolerance", "3000"});
  EXPECT_EQ(played.Status, 0) << played.Err;
  EXPECT_NE(played.Out.find("Score A - B: 2 - 0"), std::string::npos) << played.Out;
}

#ifdef PBRAIN_EXE
// The real engines through both protocols: every game ends on the board, none by a fault of
// the exchange (a generous tolerance, so a loaded machine does not decide).
TEST(MatchCommandRealEngines, Zarvo2AgainstPbrainEndsOnTheBoard) {
  const TRun run = RunTool({"match", "file:" ZARVO2_EXE, "pipe:" PBRAIN_EXE, "--games", "2",
                            "--move-time", "100", "--tolerance", "3000"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find("game 2: "), std::string::npos) << run.Out;
  for (const char* fault : {"illegal move", "bad answer", "crash", "no answer", "timeout"})
    EXPECT_EQ(run.Out.find(fault), std::string::npos) << run.Out;
}

// Two deep searches on 15 x 15 under exactly five: every move on that board, no fault; the
// records say the game, and the replay and the picture show that board.
TEST(MatchCommandRealEngines, TheDeepSearchPlaysA15x15ExactlyFiveMatch) {
  const TTempDir records;
  const TRun run = RunTool({"match", "pipe:" PBRAIN_EXE " --no-messages", "pipe:" PBRAIN_EXE,
                            "--games", "2", "--move-time", "50", "--tolerance", "3000", "--board",
                            "15", "--exact-five", "--records", records.Path().string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  for (const char* fault : {"illegal move", "bad answer", "crash", "no answer", "timeout", "error"})
    EXPECT_EQ(run.Out.find(fault), std::string::npos) << run.Out;
  for (const char* name : {"game-001.txt", "game-002.txt"}) {
    EXPECT_NE(records.Read(name).find("\nBoard: 15\nRule: exactly five\nOpening: "),
              std::string::npos)
        << records.Read(name);
    const TRun replay = RunTool({"match", "--replay", (records / name).string()});
    ASSERT_EQ(replay.Status, 0) << replay.Err;
    EXPECT_NE(replay.Out.find("(15 x 15, exactly five)"), std::string::npos) << replay.Out;
    EXPECT_NE(replay.Out.find("\n  14"), std::string::npos) << replay.Out;  // the last line
    EXPECT_EQ(replay.Out.find("\n  15"), std::string::npos) << replay.Out;
    const TRun show = RunTool({"show", (records / name).string()});
    ASSERT_EQ(show.Status, 0) << show.Err;
    const auto check = CheckSvg(show.Out);
    ASSERT_EQ(check.Error, "");
    // 16 grid lines each way, and a red line when the game ended on a five.
    EXPECT_EQ(check.Elements.at("line") - (show.Out.find("class=\"five\"") != std::string::npos),
              2 * 16)
        << show.Out;
    std::istringstream record(records.Read(name));
    for (std::string line; std::getline(record, line);) {
      int number = 0, x = -1, y = -1;
      char side = 0;
      if (std::sscanf(line.c_str(), "Move %d: %c %d,%d", &number, &side, &x, &y) == 4) {
        EXPECT_TRUE(x >= 0 && x < 15 && y >= 0 && y < 15) << name << ": " << line;
      }
    }
  }
}
#endif

#ifdef PBRAIN_EXE
// Two deep searches under renju on 15 x 15: the brains are told the rule, no game ends on a
// fault (a forbidden move by x would be an illegal one), and the records and the replay say
// renju.
TEST(MatchCommandRealEngines, TheDeepSearchPlaysARenjuMatch) {
  const TTempDir records;
  const TRun run = RunTool({"match", "pipe:" PBRAIN_EXE, "pipe:" PBRAIN_EXE, "--games", "2",
                            "--move-time", "50", "--tolerance", "3000", "--board", "15", "--renju",
                            "--records", records.Path().string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  for (const char* fault : {"illegal move", "bad answer", "crash", "no answer", "timeout", "error"})
    EXPECT_EQ(run.Out.find(fault), std::string::npos) << run.Out;
  for (const char* name : {"game-001.txt", "game-002.txt"}) {
    EXPECT_NE(records.Read(name).find("\nBoard: 15\nRule: renju\nOpening: "), std::string::npos)
        << records.Read(name);
    const TRun replay = RunTool({"match", "--replay", (records / name).string()});
    ASSERT_EQ(replay.Status, 0) << replay.Err;
    EXPECT_NE(replay.Out.find("(15 x 15, renju)"), std::string::npos) << replay.Out;
  }
}
#endif

// The line player wins every game against the legal one: pairs of sweeps, seventeen are
// enough for H1 (and, with the engines the other way round, for H0). The test ends the match
// there, with games left and nothing reported as stopped; too few games leave it inconclusive.
TEST(MatchCommandSprt, EndsAtTheVerdictOrTheLastGame) {
  const TScriptedEngines engines;
  const std::string line = engines.Entry("pipe-line"), legal = engines.Entry("pipe-legal");
  struct TCase {
    std::string First, Second, Games, Concurrency;
    const char* Verdict;
    const char* Played;  // nullptr: any number below the most
  };
  const TCase cases[] = {
      {line, legal, "200", "1", "H1 accepted (5 Elo rather than 0)", " in 34 games"},
      {legal, line, "200", "1", "H0 accepted (0 Elo rather than 5)", " in 34 games"},
      {line, legal, "200", "2", "H1 accepted (5 Elo rather than 0)", nullptr},
      {line, legal, "7", "2", "inconclusive", " in 7 games"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Games + " games, concurrency " + c.Concurrency);
    const TRun run =
        RunTool({"match", c.First, c.Second, "--sprt", "0,5", "--games", c.Games, "--move-time",
                 "1000", "--tolerance", "3000", "--concurrency", c.Concurrency});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("LLR "), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find(c.Verdict), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("Stopped"), std::string::npos) << run.Out;
    if (c.Played) {
      EXPECT_NE(run.Out.find(c.Played), std::string::npos) << run.Out;
    } else {
      const auto at = run.Out.find(" games (");
      ASSERT_NE(at, std::string::npos) << run.Out;
      const int played = std::stoi(run.Out.substr(run.Out.rfind(' ', at - 1) + 1));
      EXPECT_GE(played, 34);
      EXPECT_LE(played, 40);
    }
    // The progress line carries the ratio and its bounds as the match goes.
    EXPECT_NE(run.Err.find(" LLR "), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find(" (-2.94, 2.94) "), std::string::npos) << run.Err;
  }
  const TRun sweep = RunTool({"match", line, legal, "--sprt", "0,5", "--games", "200"});
  EXPECT_NE(sweep.Out.find("Pairs by A's points   0  1/2    1  3/2    2\n"
                           "                      0    0    0    0   17   (17 pairs)\n"
                           "LLR 3.03, bounds -2.94 and 2.94: H1 accepted"),
            std::string::npos)
      << sweep.Out;
}

// The merge's table without its first line and the thinking times, which differ from run to run.
std::string MergedTable(const std::string& out) {
  std::istringstream in(out);
  std::string line, table;
  bool times = false;
  std::getline(in, line);  // "Merged N runs ..."
  while (std::getline(in, line)) {
    if (line.starts_with("Thinking time")) times = true;
    if (line.empty()) times = false;
    if (!times) table += line + "\n";
  }
  return table;
}

// "Game N: result | reason" of each game in a run's result file, sorted.
std::set<std::string> GameResults(const std::filesystem::path& dir) {
  std::istringstream in(ReadFile(dir / "match.result"));
  std::set<std::string> games;
  for (std::string line; std::getline(in, line);)
    if (line.starts_with("Game ") && line.find(" | A ") != std::string::npos)
      games.insert(line.substr(0, line.find(" | A ")));
  return games;
}

// Three shards of a nine-game match with the sequential test, merged, are the match played
// whole: the same games with the same results, the same table, Elo and test; a shard plays all
// its games whatever its own pairs say. Shards left out or given twice are said.
TEST(MatchCommandShards, MergedShardsAreTheWholeMatch) {
  const TScriptedEngines engines;
  const std::vector<std::string> match = {"match",
                                          engines.Entry("pipe-legal"),
                                          engines.Entry("file-line"),
                                          "--games",
                                          "9",
                                          "--seed",
                                          "3",
                                          "--move-time",
                                          "1000",
                                          "--tolerance",
                                          "3000",
                                          "--sprt",
                                          "0,5"};
  const auto play = [&](const std::string& records, std::vector<std::string> extra) {
    std::vector<std::string> args = match;
    args.insert(args.end(), {"--records", records});
    args.insert(args.end(), extra.begin(), extra.end());
    const TRun run = RunTool(args);
    EXPECT_EQ(run.Status, 0) << run.Err;
  };
  const std::string whole = (engines.Dir() / "whole").string();
  std::array<std::string, 3> shards;
  play(whole, {});
  for (int k = 0; k < 3; ++k) {
    shards[k] = (engines.Dir() / ("shard" + std::to_string(k))).string();
    play(shards[k], {"--shard", std::to_string(k) + "/3"});
  }
  std::set<std::string> shardGames;
  for (const std::string& shard : shards) shardGames.merge(GameResults(shard));
  EXPECT_EQ(shardGames.size(), 9u) << ::testing::PrintToString(shardGames);
  EXPECT_EQ(shardGames, GameResults(whole));

  const TRun one = RunTool({"match", "--merge", whole});
  const TRun all = RunTool({"match", "--merge", shards[2], shards[0], shards[1]});
  ASSERT_EQ(one.Status, 0) << one.Err;
  ASSERT_EQ(all.Status, 0) << all.Err;
  EXPECT_NE(all.Out.find("Merged 3 runs of a match of 9 games: 9 games in\n"
                         "Missing games: none\n"
                         "Games in more than one run (counted once): none\n"),
            std::string::npos)
      << all.Out;
  EXPECT_EQ(MergedTable(all.Out), MergedTable(one.Out));
  EXPECT_NE(all.Out.find("Score A - B: "), std::string::npos) << all.Out;
  EXPECT_NE(all.Out.find("LLR "), std::string::npos) << all.Out;
  EXPECT_NE(all.Out.find("(4 pairs)"), std::string::npos) << all.Out;

  const TRun some = RunTool({"match", "--merge", shards[0], shards[2], shards[0]});
  ASSERT_EQ(some.Status, 0) << some.Err;
  EXPECT_NE(some.Out.find("Merged 3 runs of a match of 9 games: 6 games in\n"
                          "Missing games: 3-4, 9\n"
                          "Games in more than one run (counted once): 1-2, 7-8\n"),
            std::string::npos)
      << some.Out;

  // Another seed is another match: its runs are not merged with these.
  const std::string other = (engines.Dir() / "other").string();
  std::vector<std::string> args = match;
  args[6] = "4";
  args.insert(args.end(), {"--records", other, "--shard", "1/3"});
  ASSERT_EQ(RunTool(args).Status, 0);
  const TRun mixed = RunTool({"match", "--merge", shards[0], other});
  EXPECT_EQ(mixed.Status, 1);
  EXPECT_NE(mixed.Err.find("run 2 is of another match than run 1: 'Openings: seed 4' against "
                           "'Openings: seed 3'"),
            std::string::npos)
      << mixed.Err;
}

TEST(MatchCommandErrors, BadUsageIsRefusedBeforeAnyGame) {
  const TScriptedEngines engines;
  const std::string legal = engines.Entry("file-legal");
  const std::string notRecord = engines.File("junk.txt", "Game: x\n");
  const std::string openings = engines.File("openings.txt", "9,9\n");
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    const char* Message;
  };
  const TCase cases[] = {
      {{"match"}, 2, "two engines needed"},
      {{"match", legal}, 2, "two engines needed"},
      {{"match", legal, "legal"}, 2, "must start with file: or pipe:"},
      {{"match", legal, "pipe:/no/such/engine"}, 2, "no executable file"},
      {{"match", legal, legal, "--games", "two"}, 2, "--games takes a whole number"},
      {{"match", legal, legal, "--move-time", "0"}, 2, "at least 1"},
      {{"match", legal, legal, "--games", "0"}, 2, "--games must be at least 1"},
      {{"match", legal, legal, "--move-time"}, 2, "needs a value"},
      {{"match", legal, legal, "--bogus"}, 2, "unknown option"},
      {{"match", legal, legal, "--openings", "/no/such/file"}, 1, "cannot read"},
      {{"match", legal, legal, "--openings", notRecord}, 1, "bad square"},
      {{"match", legal, legal, "--each"}, 2, "--each goes with --replay"},
      {{"match", legal, legal, "--concurrency", "0"}, 2, "--concurrency must be at least 1"},
      {{"match", legal, legal, "--board", "14"}, 2, "--board takes 15 to 20"},
      {{"match", legal, legal, "--board", "15"}, 2, "needs brain engines"},
      {{"match", legal, legal, "--renju"}, 2, "--renju needs brain engines"},
      {{"match", legal, legal, "--renju", "--exact-five"}, 2, "two rules: choose one"},
      {{"match", legal, legal, "--dir1", "x", "--concurrency", "2"}, 2, "cannot go with"},
      {{"match", legal, "pipe:" + engines.Dir().Path().string() + "/pipe-legal \"x"},
       2,
       "quote \" that is not closed"},
      {{"match", legal, legal, "--sprt", "5,0"}, 2, "ELO0 < ELO1"},
      {{"match", legal, legal, "--sprt", "0"}, 2, "2 or 4 numbers"},
      {{"match", legal, legal, "--sprt", "0,5,0.05"}, 2, "2 or 4 numbers"},
      {{"match", legal, legal, "--sprt", "0,5,0.5,0.05"}, 2, "ALPHA and BETA"},
      {{"match", legal, legal, "--sprt", "0,five"}, 2, "not 'five'"},
      {{"match", legal, legal, "--sprt", "0,,5"}, 2, "not ''"},
      {{"match", legal, legal, "--sprt", "nan,5"}, 2, "not 'nan'"},
      // Options that would do nothing in the combination given.
      {{"match", "--replay", notRecord, "--board", "15"}, 2, "--board does not go with --replay"},
      {{"match", "--replay", notRecord, "--exact-five"}, 2, "--exact-five does not go with"},
      {{"match", "--replay", notRecord, "--renju"}, 2, "--renju does not go with"},
      {{"match", legal, legal, "--openings", openings, "--seed", "3"}, 2, "with --openings none"},
      {{"match", legal, legal, "--messages"}, 2, "it needs --records"},
      {{"match", legal, legal, "--messages", "--records", engines.Dir().Path().string()},
       2,
       "move-file engines send none"},
      {{"match", "--replay", notRecord}, 1, "no game record"},
      {{"match", "--replay", "/no/such/record"}, 1, "cannot read"},
      {{"match", legal, legal, "--shard", "1/2"}, 2, "--shard needs --records"},
      {{"match", legal, legal, "--shard", "2/2", "--records", "x"}, 2, "0 <= I < N"},
      {{"match", legal, legal, "--shard", "1", "--records", "x"}, 2, "--shard takes I/N"},
      {{"match", legal, legal, "--games", "5", "--shard", "3/4", "--records", "x"},
       2,
       "--shard 3/4 has no game: a match of 5 games has 3 pairs"},
      {{"match", "--merge"}, 2, "--merge needs the folders"},
      {{"match", "--merge", "x", "--games", "2"}, 2, "--games does not go with --merge"},
      {{"match", "--merge", engines.Dir().Path().string()}, 1, "cannot read"},
      {{"show"}, 2, "no record given"},
      {{"show", notRecord}, 1, "no game record"},
  };
  for (const TCase& c : cases) {
    const TRun run = RunTool(c.Args);
    std::string joined;
    for (const std::string& arg : c.Args) joined += arg + " ";
    EXPECT_EQ(run.Status, c.Status) << joined << run.Err;
    EXPECT_NE(run.Err.find(c.Message), std::string::npos) << joined << run.Err;
    EXPECT_EQ(run.Out, "") << joined;
  }
}

}  // namespace
}  // namespace zarvo
