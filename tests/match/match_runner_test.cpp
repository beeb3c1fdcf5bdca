// The match runner against the scripted engines: every way a game ends, both protocols, and no
// process or descriptor left behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "match/engine_player.h"
#include "match/match_runner.h"
#include "tests/match/scripted_engines.h"

namespace zarvo::match {
namespace {

using testing::TScriptedEngines;
using testing::TTempDir;

// Two stones, so a cheating engine plays one legal move before it cheats.
const std::vector<TOpening> kTwoStones = {{{9, 9}, {10, 10}}};

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
    ++count;
  return count;
}

// Processes whose command line names a file of the folder, i.e. engines of the fixture.
int ProcessesStartedFrom(const std::filesystem::path& dir) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string cmdline;
    if (in && std::getline(in, cmdline, '\0') && cmdline.starts_with(dir.string())) ++count;
  }
  return count;
}

struct TPlayers {
  TScratchDir Scratch;
  std::unique_ptr<TPlayer> First, Second;
  TPlayers(const TScriptedEngines& engines, const std::string& first, const std::string& second) {
    std::string error;
    First = MakePlayer(engines.Entry(first), Scratch.Path(), error);
    Second = MakePlayer(engines.Entry(second), Scratch.Path(), error);
    EXPECT_TRUE(First && Second) << error;
  }
};

TMatchOptions FastOptions(int games) {
  TMatchOptions options;
  options.Games = games;
  options.MoveTimeMs = 200;
  // Wide enough that a move-file engine started on a busy machine still answers in time.
  options.ToleranceMs = 1000;
  options.Openings = kTwoStones;
  return options;
}

struct TEndCase {
  const char* X;  // plays x in the one game
  const char* O;
  TEndReason Reason;
  TOutcome Outcome;
  const char* Detail;  // part of the record's detail
};

void PrintTo(const TEndCase& c, std::ostream* out) {
  *out << c.X << " as x, " << c.O << " as o";
}

class MatchEnd : public ::testing::TestWithParam<TEndCase> {};

// Each way a game ends, produced by a real process and judged and recorded as it happened.
TEST_P(MatchEnd, IsJudgedAndRecorded) {
  const TEndCase& c = GetParam();
  const TScriptedEngines engines;
  TMatchResult result;
  const auto start = std::chrono::steady_clock::now();
  {
    TPlayers players(engines, c.X, c.O);
    result = RunMatch(*players.First, *players.Second, FastOptions(1));
  }
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(result.Games.size(), 1u);
  const TGameRecord& game = result.Games[0];
  EXPECT_EQ(game.Reason, c.Reason) << game.Detail;
  EXPECT_EQ(game.Outcome, c.Outcome) << game.Detail;
  EXPECT_NE(game.Detail.find(c.Detail), std::string::npos) << game.Detail;
  EXPECT_EQ(game.XEngine, engines.Entry(c.X));

  // The loser's table row says why it lost.
  if (c.Outcome != TOutcome::Draw) {
    const TEngineStats& loser = result.Engines[c.Outcome == TOutcome::XWins ? 1 : 0];
    EXPECT_EQ(loser.TotalLosses(), 1);
    EXPECT_EQ(loser.LossReasons.at(c.Reason), 1);
  }
  // A cheater played its legal move first; the game keeps only legal moves.
  if (c.Reason != TEndReason::Five && c.Reason != TEndReason::FullBoard &&
      std::string_view(c.O) != "pipe-nostart") {
    EXPECT_GE(game.Moves.size(), 2u);
  }
  // A hung engine costs its time and the tolerance, not more.
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_EQ(ProcessesStartedFrom(engines.Dir().Path()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryReason, MatchEnd,
    ::testing::Values(
        TEndCase{"file-line", "pipe-legal", TEndReason::Five, TOutcome::XWins, ","},
        TEndCase{"pipe-legal", "file-line", TEndReason::Five, TOutcome::OWins, ","},
        TEndCase{"file-occupied", "pipe-legal", TEndReason::IllegalMove, TOutcome::OWins,
                 "an occupied square"},
        TEndCase{"pipe-legal", "pipe-occupied", TEndReason::IllegalMove, TOutcome::XWins,
                 "an occupied square"},
        TEndCase{"pipe-offboard", "file-legal", TEndReason::IllegalMove, TOutcome::OWins,
                 "20,5, off the board"},
        TEndCase{"file-garbage", "file-legal", TEndReason::BadAnswer, TOutcome::OWins,
                 "'hello there'"},
        TEndCase{"pipe-garbage", "file-legal", TEndReason::BadAnswer, TOutcome::OWins,
                 "'hello there'"},
        TEndCase{"file-legal", "pipe-nostart", TEndReason::EngineError, TOutcome::XWins,
                 "'ERROR no thanks' to START 20"},
        TEndCase{"pipe-error", "file-legal", TEndReason::EngineError, TOutcome::OWins,
                 "answered 'ERROR lost my way' to TURN "},
        TEndCase{"pipe-legal", "pipe-unknown", TEndReason::Unknown, TOutcome::XWins,
                 "answered 'UNKNOWN what is that' to TURN "},
        TEndCase{"file-crash", "pipe-legal", TEndReason::Crash, TOutcome::OWins, "signal 6"},
        TEndCase{"pipe-legal", "pipe-crash", TEndReason::Crash, TOutcome::XWins, "signal 6"},
        TEndCase{"pipe-silent", "file-legal", TEndReason::Crash, TOutcome::OWins,
                 "closed its output (exit status 0)"},
        TEndCase{"file-silent", "pipe-legal", TEndReason::NoAnswer, TOutcome::OWins,
                 "without writing a move"},
        TEndCase{"file-hang", "pipe-legal", TEndReason::Timeout, TOutcome::OWins,
                 "no move within 1200 ms; killed"},
        TEndCase{"pipe-legal", "pipe-hang", TEndReason::Timeout, TOutcome::XWins,
                 "no move within 1200 ms; killed"}),
    [](const auto& info) {
      std::string name = std::string(info.param.X) + "_" + info.param.O;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

// Under renju x's overline is a forbidden move that loses, o's six wins; in freestyle x's six
// wins. The line engine to move fills the gap of "xxx.xx" (or "ooo.oo").
TEST(MatchRunner, RenjuRefusesXsForbiddenMoveAndLetsOsSixWin) {
  const std::vector<TSquare> run = {{3, 3}, {4, 3}, {5, 3}, {7, 3}, {8, 3}};
  const std::vector<TSquare> apart = {{10, 10}, {12, 12}, {14, 10}, {10, 14}, {16, 16}, {16, 10}};
  // The line's stones for `colour` and the stones apart for the other, in play order from x.
  const auto opening = [&](char colour) {
    TOpening stones;
    for (std::size_t i = 0; i < (colour == 'x' ? 10u : 11u); ++i) {
      const bool lineStone = (i % 2 == 0) == (colour == 'x');
      stones.push_back(lineStone ? run[i / 2] : apart[i / 2]);
    }
    return stones;
  };
  const struct {
    bool Renju;
    char Liner;  // the colour of the line engine, with the line's stones
    TEndReason Reason;
    TOutcome Outcome;
    const char* Detail;
  } cases[] = {
      {true, 'x', TEndReason::IllegalMove, TOutcome::OWins,
       "answered 6,3: overline, forbidden to x under renju"},
      {false, 'x', TEndReason::Five, TOutcome::XWins, "3,3 4,3 5,3 6,3 7,3 8,3"},
      {true, 'o', TEndReason::Five, TOutcome::OWins, "3,3 4,3 5,3 6,3 7,3 8,3"},
  };
  const TScriptedEngines engines;
  for (const auto& c : cases) {
    TPlayers players(engines, c.Liner == 'x' ? "pipe-line" : "pipe-legal",
                     c.Liner == 'x' ? "pipe-legal" : "pipe-line");
    TMatchOptions options = FastOptions(1);
    options.Renju = c.Renju;
    options.Openings = {opening(c.Liner)};
    const TMatchResult result = RunMatch(*players.First, *players.Second, options);
    ASSERT_EQ(result.Games.size(), 1u);
    const TGameRecord& game = result.Games[0];
    EXPECT_EQ(game.Reason, c.Reason) << game.Detail;
    EXPECT_EQ(game.Outcome, c.Outcome) << game.Detail;
    EXPECT_EQ(game.Detail, c.Detail);
    EXPECT_EQ(game.Renju, c.Renju);
  }
}

// A brain is told the match's rule (the chatty engine names it in its messages).
TEST(MatchRunner, BrainsAreToldTheRule) {
  const TScriptedEngines engines;
  const struct {
    bool ExactlyFive, Renju;
    const char* Message;
  } cases[] = {{false, false, "thinking hard under rule 0"},
               {true, false, "thinking hard under rule 1"},
               {false, true, "thinking hard under rule 4"}};
  for (const auto& c : cases) {
    TPlayers players(engines, "pipe-chatty", "pipe-legal");
    TMatchOptions options = FastOptions(1);
    options.KeepMessages = true;
    options.ExactlyFive = c.ExactlyFive;
    options.Renju = c.Renju;
    const TMatchResult result = RunMatch(*players.First, *players.Second, options);
    ASSERT_EQ(result.Games.size(), 1u);
    ASSERT_FALSE(result.Games[0].Messages.empty());
    EXPECT_EQ(result.Games[0].Messages[0].Text, c.Message);
  }
}

// The draw pattern needs an opening on squares of its colours: (0,0) is an x square of the
// pattern and (2,0) an o square.
TEST(MatchRunner, FullBoardIsADrawForBothEngines) {
  const TScriptedEngines engines;
  TPlayers players(engines, "pipe-draw", "file-draw");
  TMatchOptions options = FastOptions(2);
  options.Openings = {{{0, 0}, {2, 0}}};
  // The file engine's 200 runs of a full board are the slow part; one of its colours is enough
  // when the other engine is the same program.
  options.Games = 1;
  const TMatchResult result = RunMatch(*players.First, *players.Second, options);
  ASSERT_EQ(result.Games.size(), 1u);
  EXPECT_EQ(result.Games[0].Reason, TEndReason::FullBoard);
  EXPECT_EQ(result.Games[0].Moves.size(), 398u);
  EXPECT_EQ(result.Engines[0].Draws[0], 1);
  EXPECT_EQ(result.Engines[1].Draws[1], 1);
}

// An engine slower than its time but inside the tolerance plays on; past the tolerance it loses.
// The slow engines sleep 150 ms past the budget their time file or INFO gave them, so this also
// checks that a 100 ms move time reaches a move-file engine as 100 ms, not a whole second. Each
// verdict has a wide margin, so a busy machine cannot turn it: a late answer can only come later,
// the winner is a brain that answers at once, and the generous tolerance waits seconds longer
// than the slow engine sleeps.
TEST(MatchRunner, ToleranceDecidesOverSlowAnswers) {
  for (const char* slow : {"file-slow", "pipe-slow"}) {
    for (const int64_t tolerance : {3000, 60}) {
      const TScriptedEngines engines;
      TPlayers players(engines, "pipe-line", slow);
      TMatchOptions options = FastOptions(1);
      options.MoveTimeMs = 100;
      options.ToleranceMs = tolerance;
      const TMatchResult result = RunMatch(*players.First, *players.Second, options);
      ASSERT_EQ(result.Games.size(), 1u);
      const TGameRecord& game = result.Games[0];
      SCOPED_TRACE(std::string(slow) + " tolerance " + std::to_string(tolerance));
      if (tolerance > 150) {
        EXPECT_EQ(game.Reason, TEndReason::Five) << game.Detail;
        EXPECT_GE(result.Engines[1].ThinkMaxMs, 240);
        // Every answer of the slow engine was late, each by its 150 ms at least.
        EXPECT_EQ(result.Engines[1].LateMoves, result.Engines[1].Moves);
        EXPECT_GE(result.Engines[1].LateMaxMs, 140);
        // A budget of a whole second would have kept it past 1150 ms.
        EXPECT_LT(result.Engines[1].ThinkMaxMs, 1150);
      } else {
        EXPECT_EQ(game.Reason, TEndReason::Timeout) << game.Detail;
        EXPECT_EQ(game.Outcome, TOutcome::XWins);
      }
    }
  }
}

// The game time caps the wait when less of it is left than the move time.
TEST(MatchRunner, GameTimeCapsTheWait) {
  const TScriptedEngines engines;
  TPlayers players(engines, "pipe-slow", "pipe-legal");
  TMatchOptions options = FastOptions(1);
  options.MoveTimeMs = 1000;
  options.GameTimeMs = 100;
  options.ToleranceMs = 100;
  const TMatchResult result = RunMatch(*players.First, *players.Second, options);
  ASSERT_EQ(result.Games.size(), 1u);
  EXPECT_EQ(result.Games[0].Reason, TEndReason::Timeout);
  EXPECT_NE(result.Games[0].Detail.find("within 200 ms"), std::string::npos)
      << result.Games[0].Detail;
}

// Each opening twice with the colours swapped, the table and times adding up, and a brain
// that was killed in one game playing the next from a fresh process.
TEST(MatchRunner, PairsOfGamesSwapColoursAndKeepTheTable) {
  const TScriptedEngines engines;
  TPlayers players(engines, "pipe-hang", "file-line");
  TMatchOptions options = FastOptions(4);
  options.Openings = {{{9, 9}, {10, 10}}, {}};
  const int descriptorsBefore = OpenDescriptors();
  const TMatchResult result = RunMatch(*players.First, *players.Second, options);
  ASSERT_EQ(result.Games.size(), 4u);
  EXPECT_EQ(result.Games[1].Opening, result.Games[0].Opening);
  EXPECT_TRUE(result.Games[2].Opening.empty());
  for (const TGameRecord& game : result.Games) {
    const bool firstIsX = game.Number % 2 == 1;
    EXPECT_EQ(game.XEngine, firstIsX ? players.First->Label() : players.Second->Label());
    // The hanging engine loses every game: killed in one, started afresh for the next.
    EXPECT_EQ(game.Outcome, firstIsX ? TOutcome::OWins : TOutcome::XWins) << game.Detail;
  }
  const TEngineStats& hang = result.Engines[0];
  const TEngineStats& line = result.Engines[1];
  EXPECT_EQ(hang.Losses, (std::array<int, 2>{2, 2}));
  EXPECT_EQ(line.Wins, (std::array<int, 2>{2, 2}));
  EXPECT_EQ(hang.LossReasons.at(TEndReason::Timeout), 4);
  int moves = 0;
  for (const TGameRecord& game : result.Games) moves += static_cast<int>(game.Moves.size());
  EXPECT_EQ(hang.Moves + line.Moves, moves);
  EXPECT_LE(line.ThinkSumMs, line.Moves * line.ThinkMaxMs);

  players.First.reset();
  players.Second.reset();
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
  EXPECT_EQ(ProcessesStartedFrom(engines.Dir().Path()), 0);
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no zombie waits to be reaped
  EXPECT_EQ(errno, ECHILD);
}

TEST(MatchRunner, StopRequestEndsTheMatchWithoutTheRunningGame) {
  const TScriptedEngines engines;
  TPlayers players(engines, "pipe-hang", "pipe-legal");
  std::atomic<bool> stop{false};
  TMatchOptions options = FastOptions(2);
  options.MoveTimeMs = 60000;
  options.Stop = &stop;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop = true;
  });
  const auto start = std::chrono::steady_clock::now();
  const TMatchResult result = RunMatch(*players.First, *players.Second, options);
  stopper.join();
  EXPECT_TRUE(result.Stopped);
  EXPECT_TRUE(result.Games.empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// The words after the program are its arguments (the scripted engine takes its behaviour from
// one), and a given working folder is where a move-file engine finds its files.
TEST(MatchRunner, EnginesGetTheirArgumentsAndFolder) {
  const TScriptedEngines engines;
  const TScratchDir scratch;
  const TTempDir folder;
  std::string error;
  auto withArgument = ParseEngineEntry(engines.Entry("pipe-legal") + " 'garbage'", error);
  auto inFolder = ParseEngineEntry(engines.Entry("file-legal"), error);
  ASSERT_TRUE(withArgument && inFolder) << error;
  EXPECT_EQ(withArgument->Arguments, std::vector<std::string>{"garbage"});
  inFolder->WorkDir = folder.Path();
  folder.Write("Zarvo.ob1", "kept");
  const auto first = MakePlayer(*withArgument, "A", scratch.Path());
  const auto second = MakePlayer(*inFolder, "B", scratch.Path());
  const TMatchResult result = RunMatch(*first, *second, FastOptions(1));
  ASSERT_EQ(result.Games.size(), 1u);
  EXPECT_EQ(result.Games[0].Reason, TEndReason::BadAnswer) << result.Games[0].Detail;
  EXPECT_EQ(folder.Read("Zarvo.ob1"), "kept");
  EXPECT_TRUE(folder.Exists("Plocha.dat"));
  EXPECT_NE(folder.Read("Tah.dat").find(','), std::string::npos);  // its last answer

  for (const std::string& entry : {engines.Entry("pipe-legal") + " 'open", std::string("pipe: ")}) {
    EXPECT_FALSE(ParseEngineEntry(entry, error)) << entry;
    EXPECT_FALSE(error.empty());
  }
}

// A brain's MESSAGE lines go into the record when asked for, numbered with the move they came
// with, and survive the record's text.
TEST(MatchRunner, MessagesAreKeptOnRequest) {
  const TScriptedEngines engines;
  for (const bool keep : {false, true}) {
    TPlayers players(engines, "pipe-chatty", "file-legal");
    TMatchOptions options = FastOptions(1);
    options.KeepMessages = keep;
    const TMatchResult result = RunMatch(*players.First, *players.Second, options);
    ASSERT_EQ(result.Games.size(), 1u);
    const TGameRecord& game = result.Games[0];
    if (!keep) {
      EXPECT_TRUE(game.Messages.empty());
      continue;
    }
    // x (the chatty brain) plays the odd stones after the two of the opening.
    const std::size_t xMoves = (game.Moves.size() + 1) / 2;
    ASSERT_EQ(game.Messages.size(), xMoves);
    for (std::size_t k = 0; k < xMoves; ++k) {
      EXPECT_EQ(game.Messages[k].Stone, static_cast<int>(3 + 2 * k));
      EXPECT_EQ(game.Messages[k].Text, "thinking hard under rule 0");
    }
    std::istringstream text(RecordText(game));
    std::string error;
    const auto back = ParseRecord(text, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(RecordText(*back), RecordText(game));
  }
}

// Games in parallel are the sequential match's games: same openings, colours and, with engines
// that play by the board alone, the same moves and results; each thread has its own processes.
TEST(MatchRunner, ConcurrentGamesAreTheSequentialOnes) {
  const TScriptedEngines engines;
  const TScratchDir scratch;
  TMatchOptions options = FastOptions(6);
  options.Openings.clear();  // random ones from the seed
  std::string error;
  const auto a = ParseEngineEntry(engines.Entry("pipe-line"), error);
  const auto b = ParseEngineEntry(engines.Entry("file-legal"), error);
  ASSERT_TRUE(a && b) << error;
  std::atomic<int> made{0};
  const auto factory = [&](int engine) {
    ++made;
    return MakePlayer(engine == 0 ? *a : *b, engine == 0 ? "A" : "B", scratch.Path());
  };
  const TMatchResult sequential = RunMatch(factory, options);
  EXPECT_EQ(made.exchange(0), 2);
  options.Concurrency = 3;
  const TMatchResult parallel = RunMatch(factory, options);
  EXPECT_EQ(made.load(), 6);
  ASSERT_EQ(parallel.Games.size(), 6u);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(parallel.Games[k].Number, static_cast<int>(k + 1));
    EXPECT_EQ(parallel.Games[k].XEngine, sequential.Games[k].XEngine);
    EXPECT_EQ(parallel.Games[k].Stones(), sequential.Games[k].Stones()) << k;
    EXPECT_EQ(parallel.Games[k].Outcome, sequential.Games[k].Outcome) << k;
  }
  for (int e = 0; e < 2; ++e) {
    EXPECT_EQ(parallel.Engines[e].Wins, sequential.Engines[e].Wins);
    EXPECT_EQ(parallel.Engines[e].Moves, sequential.Engines[e].Moves);
  }
  EXPECT_EQ(ProcessesStartedFrom(engines.Dir().Path()), 0);
}

// The shards of a match play each of its games once, in whole pairs, each game as the whole
// match plays it (opening, colours and, with engines that play by the board alone, every move);
// an odd last game is a pair of its own. Each game's figures add up to the shard's table.
TEST(MatchRunner, ShardsPlayTheMatchsGamesOnceInWholePairs) {
  const TScriptedEngines engines;
  const TScratchDir scratch;
  TMatchOptions options = FastOptions(7);
  options.Openings.clear();  // random ones from the seed: each shard must draw them alike
  options.Seed = 5;
  std::string error;
  const auto a = ParseEngineEntry(engines.Entry("pipe-legal"), error);
  const auto b = ParseEngineEntry(engines.Entry("pipe-line"), error);
  ASSERT_TRUE(a && b) << error;
  const auto factory = [&](int engine) {
    return MakePlayer(engine == 0 ? *a : *b, engine == 0 ? "A" : "B", scratch.Path());
  };
  const TMatchResult whole = RunMatch(factory, options);
  ASSERT_EQ(whole.Games.size(), 7u);
  std::map<int, const TGameRecord*> played;
  std::array<TMatchResult, 3> parts;
  options.ShardCount = 3;
  const std::vector<std::vector<int>> expected = {{1, 2, 7, 8}, {3, 4}, {5, 6}};
  for (int shard = 0; shard < 3; ++shard) {
    SCOPED_TRACE("shard " + std::to_string(shard));
    options.ShardIndex = shard;
    TMatchResult& part = parts[static_cast<std::size_t>(shard)];
    part = RunMatch(factory, options);
    std::vector<int> numbers;
    TEngineStats summed;
    for (const TGameRecord& game : part.Games) {
      numbers.push_back(game.Number);
      EXPECT_TRUE(played.emplace(game.Number, &game).second) << game.Number;
      AddStats(summed, part.GameStats.at(game.Number)[0]);
    }
    std::vector<int> want = expected[static_cast<std::size_t>(shard)];
    std::erase_if(want, [](int number) { return number > 7; });
    EXPECT_EQ(numbers, want);
    EXPECT_EQ(GamesOfShard(options), want);
    EXPECT_EQ(summed.Wins, part.Engines[0].Wins);
    EXPECT_EQ(summed.Moves, part.Engines[0].Moves);
    EXPECT_EQ(summed.ThinkSumMs, part.Engines[0].ThinkSumMs);
  }
  ASSERT_EQ(played.size(), 7u);
  for (const TGameRecord& game : whole.Games) {
    const TGameRecord& shardGame = *played.at(game.Number);
    EXPECT_EQ(shardGame.XEngine, game.XEngine) << game.Number;
    EXPECT_EQ(shardGame.Opening, game.Opening) << game.Number;
    EXPECT_EQ(shardGame.Stones(), game.Stones()) << game.Number;
    EXPECT_EQ(shardGame.Outcome, game.Outcome) << game.Number;
  }
  // More shards than pairs: the ones left over play nothing.
  options.ShardCount = 9;
  options.ShardIndex = 8;
  EXPECT_TRUE(GamesOfShard(options).empty());
  EXPECT_TRUE(RunMatch(factory, options).Games.empty());
}

TEST(MatchRunner, EntriesThatNameNoEngineAreRefused) {
  const TScriptedEngines engines;
  const TScratchDir scratch;
  for (const std::string& entry :
       {std::string("legal"), "tcp:" + engines.Entry("file-legal").substr(5), std::string("file:"),
        std::string("pipe:/no/such/engine"), "file:" + engines.Dir().Path().string()}) {
    std::string error;
    EXPECT_EQ(MakePlayer(entry, scratch.Path(), error), nullptr) << entry;
    EXPECT_FALSE(error.empty()) << entry;
  }
}

}  // namespace
}  // namespace zarvo::match
