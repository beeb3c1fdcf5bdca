// The brain-protocol session in process, with a recorder in place of the engine: what the engine
// is handed, the time rule, and the answers to hostile input.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/random.h"
#include "driver/swap2.h"

#include "pbrain/brain_session.h"
#include "pbrain/brain_text.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using TLines = std::vector<std::string>;

// Stands in for the engine: remembers what it was asked and answers a chosen square.
struct TRecorder {
  struct TCall {
    int Side = 0;
    TBoardText Board;
    TEngineOptions Options;
    std::filesystem::path WorkDir;
  };
  std::vector<TCall> Calls;
  TSquare Answer{9, 9};
  // When set, the next empty square of the board text in reading order is answered instead.
  bool AnswerFirstEmptyRow = true;

  TBrainSession::TPlayFunction Function() {
    return [this](TEngineState& state, int side, const TBoardText& board, const TEngineOptions& o) {
      Calls.push_back({side, board, o, state.WorkDir});
      if (!AnswerFirstEmptyRow) return Answer;
      for (int y = 0; y < board.RowCount; ++y)
        for (int x = 0; x < kBoardSize; ++x)
          if (board.Rows[y][x] == '.')
            return TSquare{static_cast<int8_t>(x), static_cast<int8_t>(y)};
      return Answer;
    };
  }
};

// Feeds the lines one by one and collects every answer.
TLines Feed(TBrainSession& session, std::initializer_list<std::string_view> lines) {
  TLines all;
  for (std::string_view line : lines)
    for (std::string& answer : session.HandleLine(line)) all.push_back(std::move(answer));
  return all;
}

char LetterAt(const TBoardText& board, int x, int y) {
  return board.Rows[y][x];
}

TEST(BrainText, NumbersAndListsReadAnyBytesSafely) {
  struct Case {
    std::string_view Text;
    std::optional<int64_t> Value;
  } const numbers[] = {
      {"7", 7},
      {" -12 ", -12},
      {"+3", 3},
      {"99999999999999999999999", INT64_MAX},
      {"-99999999999999999999999", -INT64_MAX},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"1x", std::nullopt},
      {"1 2", std::nullopt},
      {"0x10", std::nullopt},
      {std::string_view("4\0", 2), std::nullopt},
  };
  for (const Case& c : numbers) EXPECT_EQ(ParseInteger(c.Text), c.Value) << "'" << c.Text << "'";

  EXPECT_EQ(ParseIntegerList("3, 4", 2), (std::vector<int64_t>{3, 4}));
  EXPECT_EQ(ParseIntegerList("3,4,1", 3), (std::vector<int64_t>{3, 4, 1}));
  for (std::string_view bad : {"3", "3,", ",4", "3,4,5", "3;4", "", ",", "3,,4"})
    EXPECT_FALSE(ParseIntegerList(bad, 2)) << "'" << bad << "'";

  EXPECT_EQ(Printable(std::string_view("a\r\nb\0\xff", 6)), "a??b??");
  EXPECT_EQ(Printable(std::string(100, 'z'), 5), "zzzzz...");
}

TEST(BrainSession, INFOSetsTheBudgetHandedToTheEngine) {
  TRecorder recorder;
  TBrainSession session({"/opt/pbrain-zarvo2", 42u, {}}, recorder.Function());
  EXPECT_EQ(Feed(session, {"START 20", "INFO timeout_turn 5000", "INFO timeout_match 0",
                           "INFO time_left 900", "INFO time_left junk", "INFO max_memory 83886080",
                           "INFO game_type 1", "INFO folder /tmp/x y", "INFO colour blue", "INFO",
                           "INFO TIMEOUT_TURN 1500", "BEGIN"}),
            (TLines{"OK", "0,0"}));
  ASSERT_EQ(recorder.Calls.size(), 1u);
  const TEngineOptions& options = recorder.Calls[0].Options;
  EXPECT_EQ(options.BudgetMs, 1500);  // the match is unlimited, so time_left does not count
  EXPECT_EQ(options.Seed, 42u);
  EXPECT_EQ(options.ProgramPath, "/opt/pbrain-zarvo2");
  EXPECT_FALSE(options.MaxDepth);  // the depth comes from the budget, as in Zarvo2
}

// The options' caps hold whatever INFO asks: the budget and depth handed to the engine.
TEST(BrainSession, OptionCapsHoldWhateverINFOSays) {
  TRecorder recorder;
  TBrainOptions options;
  options.MaxMoveMs = 7;
  options.MaxDepth = 2;
  TBrainSession session(options, recorder.Function());
  Feed(session, {"START 20", "INFO timeout_turn 5000", "BEGIN", "INFO timeout_turn 3", "TURN 5,5"});
  ASSERT_EQ(recorder.Calls.size(), 2u);
  EXPECT_EQ(recorder.Calls[0].Options.BudgetMs, 7);
  EXPECT_EQ(recorder.Calls[1].Options.BudgetMs, 3);
  EXPECT_EQ(recorder.Calls[1].Options.MaxDepth, 2);
}

// max_memory is only recorded: the table is made anew at the next move, inside that move's time,
// and only when its size changes.
TEST(BrainSession, MaxMemoryChangesTheTableAtTheNextMoveOnlyWhenTheSizeDoes) {
  TBrainOptions quiet;
  quiet.Messages = false;
  TBrainSession session(quiet);
  Feed(session, {"START 20", "INFO timeout_turn 20"});
  const TDeepEngine* engine = session.DeepEngine();
  ASSERT_NE(engine, nullptr);
  struct {
    const char* Info;
    bool Anew;
    std::size_t MaxTableBytes;
  } const steps[] = {
      {"INFO max_memory 367001600", true, 367001600},
      {"INFO max_memory 367001600", false, 367001600},  // the same again
      {"INFO max_memory 52428800", true, 52428800 - (24 << 20)},
      {"INFO max_memory junk", false, 52428800 - (24 << 20)},
      {"INFO max_memory 0", true, TDeepEngine::kDefaultTableBytes},
  };
  for (const auto& step : steps) {
    const int made = engine->TableAllocations();
    const std::size_t bytes = engine->TableBytes();
    EXPECT_EQ(Feed(session, {step.Info}), TLines{});
    EXPECT_EQ(engine->TableAllocations(), made) << step.Info << ": made at INFO";
    EXPECT_EQ(engine->TableBytes(), bytes) << step.Info;
    ASSERT_EQ(Feed(session, {"SUGGEST"}).size(), 1u);
    EXPECT_EQ(engine->TableAllocations(), made + (step.Anew ? 1 : 0)) << step.Info;
    EXPECT_LE(engine->TableBytes(), step.MaxTableBytes) << step.Info;
    EXPECT_GT(engine->TableBytes(), step.MaxTableBytes / 2) << step.Info;
  }
}

// thread_num, like max_memory, applies from the next move; it is held to the machine's cores,
// and each thread past the first takes its share out of the memory the manager allows.
TEST(BrainSession, ThreadNumSetsTheSearchThreadsFromTheNextMove) {
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  TBrainOptions quiet;
  quiet.Messages = false;
  TBrainSession session(quiet);
  Feed(session, {"START 20", "INFO timeout_turn 20"});
  const TDeepEngine* engine = session.DeepEngine();
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->Threads(), 1);
  struct {
    const char* Info;
    int Threads;
  } const steps[] = {{"INFO thread_num 2", std::min(2, cores)},
                     {"INFO thread_num junk", std::min(2, cores)},
                     {"INFO thread_num 0", 1},
                     {"INFO thread_num -3", 1},
                     {"INFO thread_num 100000", cores},
                     {"INFO thread_num 1", 1}};
  for (const auto& step : steps) {
    const int before = engine->Threads();
    EXPECT_EQ(Feed(session, {step.Info}), TLines{});
    EXPECT_EQ(engine->Threads(), before) << step.Info << ": changed at INFO";
    ASSERT_EQ(Feed(session, {"SUGGEST"}).size(), 1u);
    EXPECT_EQ(engine->Threads(), step.Threads) << step.Info;
  }
  if (cores >= 2) {
    Feed(session, {"INFO thread_num 2", "INFO max_memory 52428800", "SUGGEST"});
    EXPECT_LE(engine->TableBytes(), std::size_t{52428800 - (24 << 20) - (2 << 20)});
  }
}

// The engine's letter follows the counts; the side handed over is always the engine's own.
TEST(BrainSession, EngineGetsTheLetterTheCountsGiveTheSideToMove) {
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  Feed(session, {"START 20", "TURN 3,4"});  // opponent first: the engine plays "o"
  ASSERT_EQ(recorder.Calls.size(), 1u);
  EXPECT_EQ(recorder.Calls[0].Side, kStoneO);
  EXPECT_EQ(recorder.Calls[0].Board.RowCount, kBoardSize);
  EXPECT_EQ(LetterAt(recorder.Calls[0].Board, 3, 4), 'x');

  // The engine's answer (0,0) became its own stone: "o" again after the next opponent move.
  Feed(session, {"TURN 5,6"});
  ASSERT_EQ(recorder.Calls.size(), 2u);
  EXPECT_EQ(recorder.Calls[1].Side, kStoneO);
  EXPECT_EQ(LetterAt(recorder.Calls[1].Board, 0, 0), 'o');
  EXPECT_EQ(LetterAt(recorder.Calls[1].Board, 5, 6), 'x');

  struct Case {
    const char* What;
    std::vector<std::string_view> Stones;  // BOARD lines
    int Side;
  } const cases[] = {
      {"equal counts: the engine is x", {"1,1,1", "2,2,2"}, kStoneX},
      {"opponent one ahead: the engine is o", {"1,1,2", "2,2,2", "3,3,1"}, kStoneO},
      {"engine one ahead (no real game): x", {"1,1,1", "2,2,1", "3,3,2"}, kStoneX},
      {"opponent two ahead (no real game): x", {"1,1,2", "2,2,2"}, kStoneX},
  };
  for (const Case& c : cases) {
    TBrainSession fresh({}, recorder.Function());
    recorder.Calls.clear();
    Feed(fresh, {"START 20", "BOARD"});
    for (std::string_view stone : c.Stones) EXPECT_EQ(fresh.HandleLine(stone), TLines{});
    Feed(fresh, {"DONE"});
    ASSERT_EQ(recorder.Calls.size(), 1u) << c.What;
    const TRecorder::TCall& call = recorder.Calls[0];
    EXPECT_EQ(call.Side, c.Side) << c.What;
    const char own = c.Side == kStoneX ? 'x' : 'o';
    const char opp = c.Side == kStoneX ? 'o' : 'x';
    for (std::string_view stone : c.Stones) {
      const auto n = *ParseIntegerList(stone, 3);
      EXPECT_EQ(LetterAt(call.Board, n[0], n[1]), n[2] == 1 ? own : opp) << c.What << " " << stone;
    }
  }
}

TEST(BrainSession, NeverAnswersAnOccupiedSquare) {
  TRecorder recorder;
  recorder.AnswerFirstEmptyRow = false;
  recorder.Answer = {3, 4};  // an engine gone wrong: always the same square
  TBrainSession session({}, recorder.Function());
  EXPECT_EQ(Feed(session, {"START 20", "TURN 3,4"}), (TLines{"OK", "0,0"}));
  EXPECT_EQ(Feed(session, {"TURN 0,1"}), TLines{"0,2"});
  recorder.Answer = {-1, 25};
  EXPECT_EQ(Feed(session, {"TURN 0,3"}), TLines{"0,4"});
  EXPECT_EQ(session.Board().At(0, 4), TOwner::Own);

  // The last empty square taken by the opponent leaves nothing to answer.
  TBrainSession full({}, recorder.Function());
  Feed(full, {"START 20", "BOARD"});
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (x != 19 || y < 18)
        full.HandleLine(std::to_string(x) + "," + std::to_string(y) + "," +
                        ((x + y) % 2 ? "1" : "2"));
  EXPECT_EQ(Feed(full, {"DONE"}), TLines{"19,18"});  // the engine's 3,4 is taken
  EXPECT_EQ(Feed(full, {"TURN 19,19"}), TLines{"ERROR the board is full: no move left"});
  EXPECT_TRUE(full.Board().Full());
}

// Junk gets exactly one line, ERROR or UNKNOWN, that is itself one clean line; the game stays.
TEST(BrainSession, HostileInputGetsOneCleanLineAndChangesNothing) {
  const std::string nul(
      "TURN 1,\0"
      "2",
      9);
  const std::string huge = "TURN 1,2" + std::string(1 << 20, ' ') + "x";
  const std::string_view cases[] = {
      nul,
      huge,
      "TURN 99999999999999999999999,1",
      "TURN -1,0",
      "TURN 20,5",
      "TURN 5,-2147483648",
      "TURN 1,2,3",
      "TURN 1 2",
      "TURN",
      "TURN 9,9",  // occupied
      "TAKEBACK 1,0",
      "TAKEBACK 1,x",
      "BEGIN",  // not on an empty board
      "BEGIN now",
      "RESTART please",
      "DONE",
      "BOARD 1,1,1",
      "\x80\xff\xfe",
      "TURN\r1,1",
      "hello\x1b[2J world",
      "START 20 20",
  };
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  Feed(session, {"START 20", "TURN 9,9"});
  const auto stones = session.Board().Order();
  for (std::string_view line : cases) {
    const TLines answer = session.HandleLine(line);
    ASSERT_EQ(answer.size(), 1u) << Printable(line);
    EXPECT_TRUE(answer[0].starts_with("ERROR ") || answer[0].starts_with("UNKNOWN ")) << answer[0];
    EXPECT_EQ(answer[0].find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    EXPECT_LE(answer[0].size(), 200u);
    EXPECT_EQ(session.Board().Order(), stones) << Printable(line);
  }
  EXPECT_EQ(recorder.Calls.size(), 1u);
}

TEST(BrainSession, BoardBlockTakesStoneLinesUntilDone) {
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  EXPECT_EQ(Feed(session,
                 {"START 20", "TURN 9,9", "BOARD", "5,5,1", " 6 , 6 , 2 ", "7,7,3", "5,5,2",
                  "20,1,1", "1,1,4", "junk", "TURN 1,1", "INFO timeout_turn 0", "7,7,1", "done"}),
            (TLines{"OK", "0,0", "ERROR 5,5,2: the square was given before",
                    "ERROR 20,1,1: the square is off the 20 x 20 board",
                    "ERROR 1,1,4: the field must be 1 (own), 2 (opponent) or 3",
                    "ERROR BOARD expects lines x,y,field and DONE, got 'junk'",
                    "ERROR BOARD expects lines x,y,field and DONE, got 'TURN 1,1'", "0,0"}));
  // The position was replaced: the earlier TURN stone is gone, the marker 3 left no stone and
  // a later stone could take its square.
  const TBrainBoard& board = session.Board();
  EXPECT_EQ(board.At(9, 9), TOwner::None);
  EXPECT_EQ(board.At(5, 5), TOwner::Own);
  EXPECT_EQ(board.At(6, 6), TOwner::Opponent);
  EXPECT_EQ(board.At(7, 7), TOwner::Own);
  EXPECT_EQ(board.At(0, 0), TOwner::Own);  // the answer
  EXPECT_EQ(board.StoneCount(), 4);
  EXPECT_EQ(recorder.Calls.back().Options.BudgetMs, 0);  // INFO inside BOARD counted

  // START inside a BOARD block drops it; BOARD before START answers at DONE.
  EXPECT_EQ(Feed(session, {"BOARD", "1,1,1", "START 20", "1,1,1", "BEGIN"}),
            (TLines{"OK", "UNKNOWN 1,1,1", "0,0"}));
  TBrainSession unstarted({}, recorder.Function());
  EXPECT_EQ(Feed(unstarted, {"BOARD", "1,1,1", "DONE"}), TLines{"ERROR no game: START 20 first"});
}

TEST(BrainSession, EndStopsEverythingEvenInsideBoard) {
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  EXPECT_EQ(Feed(session, {"START 20", "BOARD", "1,1,1", "end"}), TLines{"OK"});
  EXPECT_TRUE(session.Ended());
  EXPECT_EQ(Feed(session, {"DONE", "ABOUT", "BEGIN"}), TLines{});
  EXPECT_TRUE(recorder.Calls.empty());
}

TEST(BrainSession, NonFreestyleRuleIsToldOnce) {
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  EXPECT_EQ(Feed(session, {"INFO rule 0", "INFO rule 2"}), TLines{});  // 2: continuous game
  const TLines told = Feed(session, {"INFO rule 1", "INFO rule 4", "START 20", "INFO rule 1"});
  ASSERT_EQ(told.size(), 2u);
  EXPECT_TRUE(told[0].starts_with("MESSAGE ") && told[0].find("rule 1 ") != std::string::npos)
      << told[0];
  EXPECT_EQ(told[1], "OK");

  TBrainSession junkRule({}, recorder.Function());
  EXPECT_EQ(Feed(junkRule, {"INFO rule renju"}).size(), 1u);

  // Each rule the message names is said with what wins under it, and never contradicts it.
  TBrainSession deep{TBrainOptions{}};
  EXPECT_EQ(Feed(deep, {"INFO rule 8"}),
            (TLines{"MESSAGE Zarvo2 plays freestyle (five or more in a row wins), exactly five "
                    "(only five wins) and renju (rule 4); rule 8 is played as freestyle"}));
}

// Rule 4 is renju, played without a word: the engine as black (the first player) refuses the
// three-three at 6,7 that wins it the game by exactly five. Rule 5 is played as renju and said.
TEST(BrainSession, RenjuKeepsBlackOffItsForbiddenSquares) {
  for (const char* rule : {"INFO rule 1", "INFO rule 4"}) {
    TBrainOptions options;
    options.Messages = false;
    TBrainSession session(options);
    EXPECT_EQ(Feed(session, {rule, "START 15", "INFO timeout_turn 300"}), (TLines{"OK"}));
    const TLines answer = Feed(session, {"BOARD", "6,5,1", "0,0,2", "6,6,1", "14,0,2", "4,7,1",
                                         "0,14,2", "5,7,1", "14,14,2", "DONE"});
    ASSERT_EQ(answer.size(), 1u);
    if (std::string_view(rule) == "INFO rule 1")
      EXPECT_EQ(answer[0], "6,7");
    else
      EXPECT_NE(answer[0], "6,7");
  }
  TBrainSession five{TBrainOptions{}};
  EXPECT_EQ(Feed(five, {"INFO rule 5"}), (TLines{"MESSAGE Zarvo2 plays rule 5 as renju"}));
}

// The deep search's MESSAGE lines: one per finished iteration, with the nodes so far and the
// threat solvers' share, then one for the move with the whole move's nodes (an abandoned last
// iteration's too), just before the move itself.
TEST(BrainSession, DeepMessagesEndWithTheWholeMovesNodes) {
  TBrainSession session{TBrainOptions{}};
  const TLines told = Feed(session, {"START 20", "INFO timeout_turn 200", "BOARD", "9,9,2",
                                     "10,10,1", "9,10,2", "DONE"});
  ASSERT_GE(told.size(), 4u);
  const std::string& move = told.back();
  const std::string& summary = told[told.size() - 2];
  ASSERT_TRUE(summary.starts_with("MESSAGE move " + move + " by ")) << summary;
  const auto nodesOf = [](const std::string& line) {
    long long nodes = -1, solver = -1;
    const std::size_t at = line.find(" nodes ");
    if (at != std::string::npos)
      std::sscanf(line.c_str() + at, " nodes %lld (solver %lld)", &nodes, &solver);
    EXPECT_GE(solver, 0) << line;
    EXPECT_LE(solver, nodes) << line;
    return nodes;
  };
  const long long total = nodesOf(summary);
  for (std::size_t k = 1; k + 2 < told.size(); ++k) {
    ASSERT_TRUE(told[k].starts_with("MESSAGE depth ")) << told[k];
    EXPECT_LE(nodesOf(told[k]), total) << told[k];
  }
}

// A proven result says how far the five is, and which rule or solver chose the move.
TEST(BrainSession, DeepMessagesSayHowFarAProvenResultIs) {
  struct Case {
    std::vector<std::string> Stones;  // "x,y,owner" as BOARD lists them
    const char* Summary;              // the start of the move's MESSAGE line
    const char* Score;
  } const cases[] = {
      // Our four to complete.
      {{"5,5,1", "6,5,1", "7,5,1", "8,5,1", "5,7,2", "6,7,2", "7,7,2"},
       "MESSAGE move ",
       " by five depth 0 score 19999 (win in 1 ply) "},
      // The opponent's open four: blocking one end loses to the other.
      {{"5,5,2", "6,5,2", "7,5,2", "8,5,2", "5,7,1", "6,7,1", "7,7,1", "0,0,1"},
       "MESSAGE move ",
       " by block depth 0 score -19998 (loss in 2 plies) "},
      // Threats with open threes win in nine plies, though the opponent threatens too.
      {{"10,9,1", "9,11,2", "9,8,1", "10,11,2", "8,9,1", "8,11,2", "11,11,1", "7,9,2", "11,10,1",
        "8,7,2", "11,9,1", "11,12,2", "9,9,1", "12,9,2"},
       "MESSAGE move 11,8 by vct ",
       " score 19991 (win in 9 plies) "},
  };
  for (const Case& c : cases) {
    TBrainSession session{TBrainOptions{}};
    std::vector<std::string> commands{"START 20", "INFO timeout_turn 1000", "BOARD"};
    commands.insert(commands.end(), c.Stones.begin(), c.Stones.end());
    commands.push_back("DONE");
    TLines told;
    for (const std::string& command : commands)
      for (std::string& answer : session.HandleLine(command)) told.push_back(std::move(answer));
    ASSERT_GE(told.size(), 3u);
    const std::string& summary = told[told.size() - 2];
    EXPECT_TRUE(summary.starts_with(c.Summary)) << summary;
    EXPECT_NE(summary.find(c.Score), std::string::npos) << summary;
  }
}

// With a place to send them, the MESSAGE lines leave as each iteration ends, not with the move;
// a stop flag set from outside makes even a ten-second turn answer at once.
TEST(BrainSession, MessagesLeaveAsTheyComeAndAStopAnswersAtOnce) {
  std::vector<std::string> emitted;
  std::atomic<bool> stop{false};
  TBrainOptions options;
  options.Emit = [&emitted](const std::string& line) { emitted.push_back(line); };
  options.Stop = &stop;
  TBrainSession session(options);
  const TLines answers =
      Feed(session, {"START 20", "INFO timeout_turn 200", "BOARD", "9,9,2", "10,10,1", "DONE"});
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], "OK");
  ASSERT_GE(emitted.size(), 2u);
  for (const std::string& line : emitted) EXPECT_TRUE(line.starts_with("MESSAGE ")) << line;
  EXPECT_TRUE(emitted.back().starts_with("MESSAGE move " + answers[1] + " by ")) << emitted.back();

  stop = true;
  const auto start = std::chrono::steady_clock::now();
  const TLines stopped = Feed(session, {"INFO timeout_turn 10000", "TURN 11,11"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(stopped.size(), 1u);
  EXPECT_NE(stopped[0].find(','), std::string::npos) << stopped[0];
}

// The line limit counts the command, not its line end: 4096 bytes with LF, CR LF or CR are
// taken, one byte more is refused whatever the line end.
TEST(BrainSession, LineLimitLeavesOutTheLineEnd) {
  const std::string longest = "ABOUT" + std::string(kMaxBrainLineLength - 5, ' ');
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  for (const char* end : {"", "\n", "\r\n", "\r"}) {
    EXPECT_EQ(session.HandleLine(longest + end).at(0).substr(0, 5), "name=") << Printable(end);
    EXPECT_EQ(session.HandleLine(longest + " " + end),
              TLines{"ERROR line too long (more than 4096 bytes)"})
        << Printable(end);
  }
}

// Board sizes: the deep search plays any from 15 x 15 to 20 x 20, the classic choice 20 x 20.
TEST(BrainSession, TheDeepSearchPlaysBoardsFrom15To20) {
  TBrainOptions options;
  options.Messages = false;
  TBrainSession deep(options);
  EXPECT_EQ(Feed(deep, {"START 14", "START 21", "RECTSTART 15,21"}),
            (TLines{"ERROR boards from 15 x 15 to 20 x 20 are supported, not 14",
                    "ERROR boards from 15 x 15 to 20 x 20 are supported, not 21",
                    "ERROR boards from 15 x 15 to 20 x 20 are supported, not 15,21"}));
  const TLines game = Feed(deep, {"START 15", "INFO timeout_turn 50", "TURN 15,3", "TURN 14,14"});
  ASSERT_EQ(game.size(), 3u);
  EXPECT_EQ(game[0], "OK");
  EXPECT_EQ(game[1], "ERROR 15,3 is off the 15 x 15 board");
  EXPECT_TRUE(deep.Board().At(14, 14) == TOwner::Opponent);
  EXPECT_EQ(Feed(deep, {"RECTSTART 16,20", "BOARD", "15,19,1", "16,0,2", "DONE"}).front(), "OK");
  EXPECT_EQ(deep.Board().Width(), 16);

  options.Classic = true;
  TBrainSession classic(options);
  EXPECT_EQ(Feed(classic, {"START 15"}),
            (TLines{"ERROR only 20 x 20 boards are supported, not 15"}));
}

// Whole games of the deep search against itself on 15 x 15, freestyle and exactly five: every
// answer is an empty square of the board.
TEST(BrainSession, WholeGamesOn15x15StayLegal) {
  for (const char* rule : {"INFO rule 0", "INFO rule 1"}) {
    TBrainOptions options;
    options.Messages = false;
    TBrainSession first(options), second(options);
    TBrainBoard referee(15, 15);
    for (TBrainSession* session : {&first, &second})
      ASSERT_EQ(Feed(*session, {rule, "START 15", "INFO timeout_turn 20"}), (TLines{"OK"}));
    TLines answer = Feed(first, {"BEGIN"});
    TBrainSession* toMove = &second;
    for (int ply = 0; ply < 120; ++ply) {
      ASSERT_EQ(answer.size(), 1u) << rule << " ply " << ply;
      int x = -1, y = -1;
      ASSERT_EQ(std::sscanf(answer[0].c_str(), "%d,%d", &x, &y), 2) << answer[0];
      ASSERT_TRUE(referee.IsEmptySquare(x, y)) << rule << ": " << answer[0] << " at ply " << ply;
      referee.Place(x, y, TOwner::Own);
      if (referee.Full()) break;
      const std::string turn = "TURN " + answer[0];
      answer = Feed(*toMove, {turn});
      toMove = toMove == &first ? &second : &first;
    }
  }
}

// Random lines from command words, numbers, separators and junk bytes, played on both real
// engines (budget 0, so each move is quick): every answer is one clean line, and every move it
// answers was an empty square that now holds the engine's stone.
TEST(BrainSession, RandomLinesKeepEveryAnswerLegal) {
  // clang-format off
  const std::string pieces[] = {
      "START", "TURN", "BEGIN", "BOARD", "DONE", "TAKEBACK", "INFO", "ABOUT", "rule", "time_left",
      " ", ",", "1", "9", "19", "20", "-1", "3", "99999999999999999999", std::string(1, '\0'),
      "\r", "\xff", "x"};
  // clang-format on
  for (const bool classic : {true, false}) {
    TRandom random(12345);
    const testing::TTempDir dir;  // a lost position leaves a loss marker here
    TBrainOptions options{"", 1u, dir.Path()};
    options.Classic = classic;
    options.Messages = false;
    TBrainSession session(options);
    session.HandleLine("INFO timeout_turn 0");
    int moves = 0;
    for (int i = 0; i < 1500; ++i) {
      std::string line;
      // Mostly well-formed commands with random squares, sometimes pure noise.
      if (random.Random(3) > 0) {
        const char* const commands[] = {"START 20", "TURN", "TAKEBACK", "BEGIN", "BOARD", "DONE"};
        line = commands[random.Random(6)];
        if (line == "TURN" || line == "TAKEBACK")
          line += " " + std::to_string(random.Random(22) - 1) + "," +
                  std::to_string(random.Random(22) - 1);
        if (line == "BOARD" && random.Random(2))
          line = std::to_string(random.Random(20)) + "," + std::to_string(random.Random(20)) + "," +
                 std::to_string(random.Random(4));
      } else {
        for (int n = random.Random(8); n >= 0; --n)
          line += pieces[random.Random(static_cast<int32_t>(std::size(pieces)))];
      }
      const TBrainBoard before = session.Board();
      const TLines answer = session.HandleLine(line);
      ASSERT_LE(answer.size(), 1u) << Printable(line);
      if (answer.empty()) continue;
      ASSERT_EQ(answer[0].find_first_of(std::string("\r\n\0", 3)), std::string::npos);
      int x = -1, y = -1;
      if (std::sscanf(answer[0].c_str(), "%d,%d", &x, &y) == 2) {
        ++moves;
        ASSERT_TRUE(OnBoard(x, y)) << answer[0];
        EXPECT_TRUE(before.IsEmptySquare(x, y) || line == "DONE")
            << Printable(line) << " -> " << answer[0];
        EXPECT_EQ(session.Board().At(x, y), TOwner::Own) << answer[0];
      }
    }
    EXPECT_GT(moves, 50);  // the walk really played
  }
}

// PLAY places the engine's stone as the manager says; SUGGEST names the engine's move and places
// nothing; both need a game, and PLAY a free square on the board.
TEST(BrainSession, PlayAndSuggest) {
  TRecorder recorder;
  TBrainSession session({}, recorder.Function());
  EXPECT_EQ(Feed(session, {"PLAY 1,1", "SUGGEST"}),
            (TLines{"ERROR no game: START 20 first", "ERROR no game: START 20 first"}));
  EXPECT_EQ(Feed(session, {"START 20", "TURN 3,4", "TAKEBACK 0,0", "SUGGEST"}),
            (TLines{"OK", "0,0", "OK", "SUGGEST 0,0"}));
  EXPECT_EQ(session.Board().StoneCount(), 1);
  EXPECT_EQ(recorder.Calls.back().Side, kStoneO);  // the suggestion is for the engine's own side

  EXPECT_EQ(Feed(session, {"play 5,5"}), TLines{"5,5"});
  EXPECT_EQ(session.Board().At(5, 5), TOwner::Own);
  for (std::string_view bad :
       {"PLAY 5,5", "PLAY 3,4", "PLAY 20,0", "PLAY", "PLAY 1", "SUGGEST 1,1"})
    EXPECT_TRUE(Feed(session, {bad}).at(0).starts_with("ERROR ")) << bad;
  EXPECT_EQ(session.Board().StoneCount(), 2);
  EXPECT_EQ(Feed(session, {"TURN 6,6"}), TLines{"0,0"});  // the game goes on from PLAY's stone
  EXPECT_EQ(recorder.Calls.back().Side, kStoneO);
}

// The loss markers go to the folder INFO names, from the next move on; before that and after a
// refused value they stay where the program was told to keep them.
TEST(BrainSession, FolderTakesTheLossMarkers) {
  TRecorder recorder;
  TBrainSession session({"", std::nullopt, "/work/dir"}, recorder.Function());
  Feed(session, {"START 20", "BEGIN", "INFO folder", "TURN 5,5"});
  EXPECT_EQ(Feed(session, {"INFO folder C:\\Users\\me\\brain data", "INFO evaluate 3,3",
                           "INFO evaluate junk", "TURN 6,6"}),
            TLines{"2,0"});
  ASSERT_EQ(recorder.Calls.size(), 3u);
  EXPECT_EQ(recorder.Calls[0].WorkDir, "/work/dir");
  EXPECT_EQ(recorder.Calls[1].WorkDir, "/work/dir");
  EXPECT_EQ(recorder.Calls[2].WorkDir, "C:\\Users\\me\\brain data");
  Feed(session, {"RESTART", "BEGIN"});  // the folder outlives the game
  EXPECT_EQ(recorder.Calls.back().WorkDir, "C:\\Users\\me\\brain data");
}

// The three stages of the swap2 opening through the session, with the engine's moves from the
// recorder: the answer's form, and whose stones the game continues with.
TEST(BrainSession, Swap2AnswersEachStage) {
  struct Case {
    const char* What;
    std::vector<std::string_view> Stones;  // black first
    TLines Answer;
    bool EngineIsWhite;      // whose stones the session's board gives the engine afterwards
    std::vector<int> Sides;  // the side of each engine move asked for
  } const cases[] = {
      // Black's two stones make an open three where white has a lone stone: take black.
      {"three stones, black ahead", {"9,9", "0,19", "10,9"}, {"SWAP"}, false, {}},
      // Loose stones on both sides: white's stone, black's answer, and the choice is left.
      {"three stones, even", {"9,9", "10,10", "12,7"}, {"0,0 1,0"}, false, {kStoneO, kStoneX}},
      // White's two stones lie together, black's three apart: play on as white.
      {"five stones, white ahead",
       {"0,19", "9,9", "19,19", "10,9", "19,0"},
       {"0,0"},
       true,
       {kStoneO}},
      {"five stones, black ahead", {"9,9", "0,19", "10,9", "19,19", "11,9"}, {"SWAP"}, false, {}},
  };
  for (const Case& c : cases) {
    TRecorder recorder;
    TBrainSession session({}, recorder.Function());
    Feed(session, {"START 20", "SWAP2BOARD"});
    for (std::string_view stone : c.Stones) EXPECT_EQ(session.HandleLine(stone), TLines{});
    EXPECT_EQ(Feed(session, {"DONE"}), c.Answer) << c.What;
    const TBrainBoard& board = session.Board();
    for (std::size_t i = 0; i < c.Stones.size(); ++i) {
      const auto n = *ParseIntegerList(c.Stones[i], 2);
      const bool white = i % 2 == 1;
      EXPECT_EQ(board.At(n[0], n[1]), white == c.EngineIsWhite ? TOwner::Own : TOwner::Opponent)
          << c.What << " " << c.Stones[i];
    }
    EXPECT_EQ(board.StoneCount(), static_cast<int>(c.Stones.size() + c.Sides.size())) << c.What;
    std::vector<int> sides;
    for (const TRecorder::TCall& call : recorder.Calls) sides.push_back(call.Side);
    EXPECT_EQ(sides, c.Sides) << c.What;
  }

  // The opener's stones: three, on the board, apart; the engine holds the black ones.
  TRecorder recorder;
  TBrainSession session({"", 3u, {}}, recorder.Function());
  const TLines opening = Feed(session, {"START 20", "SWAP2BOARD", "DONE"});
  ASSERT_EQ(opening.size(), 2u);
  const auto stones = Swap2OpeningStones(3, 20, 20);
  std::string expected;
  for (const TSquare& stone : stones)
    expected +=
        (expected.empty() ? "" : " ") + std::to_string(stone.X) + "," + std::to_string(stone.Y);
  EXPECT_EQ(opening[1], expected);
  EXPECT_EQ(session.Board().CountOf(TOwner::Own), 2);
  EXPECT_EQ(session.Board().At(stones[1].X, stones[1].Y), TOwner::Opponent);
  EXPECT_TRUE(recorder.Calls.empty());
}

// Swap2 on boards under 20 x 20 with the deep search: the block's squares are the game's, the
// opening keeps the game's size, and every square the engine answers, in the opening and in the
// moves after it, is an empty square of that board.
TEST(BrainSession, Swap2OnSmallBoardsAnswersItsSquares) {
  struct Case {
    const char* Start;
    int Width, Height;
    std::vector<std::string_view> Stones;  // the SWAP2BOARD block, black first
    std::vector<std::string_view> Turns;   // the opponent's moves after the opening
    uint32_t Seed = 0;                     // picks the opener's shape
  } const cases[] = {
      {"START 15", 15, 15, {}, {"TURN 3,3", "TURN 14,14"}, 0},
      {"START 15", 15, 15, {}, {"TURN 3,3"}, 1},
      {"RECTSTART 15,20", 15, 20, {}, {"TURN 14,19"}, 2},
      {"RECTSTART 20,16", 20, 16, {}, {"TURN 3,3"}, 3},
      // Black's three against the right edge, white in the far corner.
      {"START 15", 15, 15, {"13,9", "0,14", "14,9", "0,13", "12,9"}, {"TURN 11,9", "TURN 14,0"}},
      {"START 15", 15, 15, {"12,12", "13,13", "14,11"}, {"TURN 14,14"}},
      // White's two by the far corner: the engine plays on as white.
      {"START 15", 15, 15, {"0,0", "12,12", "14,0", "13,12", "0,14"}, {"TURN 14,14"}},
      {"START 16", 16, 16, {"14,14", "0,0", "15,14", "0,1", "13,14"}, {"TURN 12,14"}},
      {"RECTSTART 15,20", 15, 20, {"13,18", "14,19", "12,19"}, {"TURN 14,0", "TURN 0,19"}},
      {"RECTSTART 20,15", 20, 15, {"19,14", "0,14", "18,13", "1,14", "17,12"}, {"TURN 19,0"}},
      {"RECTSTART 20,15", 20, 15, {"0,0", "18,13", "0,14", "17,13", "10,0"}, {"TURN 19,14"}},
      {"RECTSTART 17,15", 17, 15, {"8,7", "9,8", "10,6"}, {"TURN 16,14"}},
  };
  for (const Case& c : cases) {
    TBrainOptions options;
    options.Messages = false;
    options.Seed = c.Seed;
    TBrainSession session(options);
    ASSERT_EQ(Feed(session, {c.Start, "INFO timeout_turn 30", "SWAP2BOARD"}), TLines{"OK"});
    TBrainBoard referee(c.Width, c.Height);
    for (std::size_t i = 0; i < c.Stones.size(); ++i) {
      ASSERT_EQ(session.HandleLine(c.Stones[i]), TLines{}) << c.Start << " " << c.Stones[i];
      const auto n = *ParseIntegerList(c.Stones[i], 2);
      referee.Place(static_cast<int>(n[0]), static_cast<int>(n[1]), TOwner::Opponent);
    }
    // Each answer: "SWAP", or one to three squares "x,y" separated by spaces.
    const auto checkSquares = [&](const TLines& answer, const std::string& line) {
      ASSERT_EQ(answer.size(), 1u) << c.Start << " " << line;
      if (answer[0] == "SWAP") return;
      for (std::size_t start = 0; start < answer[0].size();) {
        const std::size_t end = std::min(answer[0].find(' ', start), answer[0].size());
        int x = -1, y = -1;
        ASSERT_EQ(std::sscanf(answer[0].substr(start, end - start).c_str(), "%d,%d", &x, &y), 2)
            << c.Start << " " << line << " -> " << answer[0];
        EXPECT_TRUE(referee.IsEmptySquare(x, y)) << c.Start << " " << line << " -> " << answer[0];
        referee.Place(x, y, TOwner::Own);
        start = end + 1;
      }
    };
    checkSquares(Feed(session, {"DONE"}), "DONE");
    for (std::string_view turn : c.Turns) {
      const auto n = *ParseIntegerList(turn.substr(5), 2);
      ASSERT_TRUE(referee.Place(static_cast<int>(n[0]), static_cast<int>(n[1]), TOwner::Opponent))
          << c.Start << " " << turn;
      checkSquares(Feed(session, {turn}), std::string(turn));
    }
    // The game is still the one started: squares beyond it are refused, and nothing was placed.
    EXPECT_EQ(session.Board().Width(), c.Width) << c.Start;
    EXPECT_EQ(session.Board().Height(), c.Height) << c.Start;
    EXPECT_EQ(session.Board().StoneCount(), referee.StoneCount()) << c.Start;
    const std::string beyond[] = {std::to_string(c.Width) + ",0", "0," + std::to_string(c.Height),
                                  "19,19"};
    for (const std::string& square : beyond)
      EXPECT_EQ(Feed(session, {"TURN " + square}),
                TLines{"ERROR " + square + " is off the " + std::to_string(c.Width) + " x " +
                       std::to_string(c.Height) + " board"})
          << c.Start;
    EXPECT_EQ(Feed(session, {"SWAP2BOARD", beyond[0], beyond[1], "DONE"}),
              (TLines{"ERROR " + beyond[0] + ": the square is off the " + std::to_string(c.Width) +
                          " x " + std::to_string(c.Height) + " board",
                      "ERROR " + beyond[1] + ": the square is off the " + std::to_string(c.Width) +
                          " x " + std::to_string(c.Height) + " board",
                      "ERROR SWAP2BOARD: a stone line was refused, so nothing is played"}))
        << c.Start;
    EXPECT_EQ(session.Board().StoneCount(), referee.StoneCount()) << c.Start;
  }
}

TEST(BrainSession, Swap2RefusesWhatItCannotPlay) {
  struct Case {
    const char* What;
    std::vector<std::string_view> Lines;  // after SWAP2BOARD, up to and with DONE
    TLines Answer;
  } const cases[] = {
      {"one stone", {"9,9", "DONE"}, {"ERROR SWAP2BOARD needs 0, 3 or 5 stones, not 1"}},
      {"four stones",
       {"1,1", "2,2", "3,3", "4,4", "done"},
       {"ERROR SWAP2BOARD needs 0, 3 or 5 stones, not 4"}},
      {"a sixth stone",
       {"1,1", "2,2", "3,3", "4,4", "5,5", "6,6", "DONE"},
       {"ERROR 6,6: a swap2 opening has at most 5 stones",
        "ERROR SWAP2BOARD: a stone line was refused, so nothing is played"}},
      {"junk and fields",
       {"1,1", "2,2,1", "3,3", "DONE"},
       {"ERROR SWAP2BOARD expects lines x,y and DONE, got '2,2,1'",
        "ERROR SWAP2BOARD: a stone line was refused, so nothing is played"}},
      {"off the board and twice",
       {"1,1", "20,2", "1,1", "3,3", "DONE"},
       {"ERROR 20,2: the square is off the 20 x 20 board", "ERROR 1,1: the square was given before",
        "ERROR SWAP2BOARD: a stone line was refused, so nothing is played"}},
      {"START drops the block", {"1,1", "START 20", "1,1"}, {"OK", "UNKNOWN 1,1"}},
      {"INFO and ABOUT work inside", {"INFO timeout_turn 0", "DONE"}, {}},
  };
  for (const Case& c : cases) {
    TRecorder recorder;
    TBrainSession session({}, recorder.Function());
    Feed(session, {"START 20", "TURN 9,9", "SWAP2BOARD"});
    const auto before = session.Board().Order();
    TLines answer;
    for (std::string_view line : c.Lines)
      for (std::string& a : session.HandleLine(line)) answer.push_back(a);
    if (c.Answer.empty()) {
      EXPECT_EQ(answer.size(), 1u) << c.What;  // the opener's three stones
      continue;
    }
    EXPECT_EQ(answer, c.Answer) << c.What;
    if (std::string_view(c.What) != "START drops the block") {
      EXPECT_EQ(session.Board().Order(), before) << c.What;
    }
  }
  TRecorder idle;
  TBrainSession unstarted({}, idle.Function());
  EXPECT_EQ(
      Feed(unstarted, {"SWAP2BOARD", "DONE", "SWAP2BOARD 1"}),
      (TLines{"ERROR no game: START 20 first",
              "ERROR SWAP2BOARD takes no arguments; its stones follow on lines of their own"}));
}

}  // namespace
}  // namespace zarvo
