// The brain-protocol session in process, with a recorder in place of the engine: what the engine
// is handed, the time rule, and the answers to hostile input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/random.h"

#include "pbrain/brain_limits.h"
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
  };
  std::vector<TCall> Calls;
  TSquare Answer{9, 9};
  // When set, the next empty square of the board text in reading order is answered instead.
  bool AnswerFirstEmptyRow = true;

  TBrainSession::TPlayFunction Function() {
    return [this](TEngineState&, int side, const TBoardText& board, const TEngineOptions& o) {
      Calls.push_back({side, board, o});
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

TEST(BrainLimits, BudgetFollowsTheTimeFileRule) {
  struct Case {
    const char* What;
    TBrainLimits Limits;
    int64_t BudgetMs;
  } const cases[] = {
      {"no INFO: one hour", {}, 3'600'000},
      {"turn limit only", {5000, std::nullopt, std::nullopt}, 5000},
      {"a third of the time left", {10'000, std::nullopt, 900}, 300},
      {"the turn limit when smaller", {5000, std::nullopt, 30'000}, 5000},
      {"time left alone, under the hour", {std::nullopt, std::nullopt, 30'000}, 10'000},
      {"turn limit 0 plays at once", {0, std::nullopt, 100'000}, 0},
      {"unlimited time left", {7000, 180'000, 2'147'483'647}, 7000},
      {"negative time left", {7000, 180'000, -500}, 0},
      {"time left beyond 32 bits is unlimited", {7000, std::nullopt, int64_t{1} << 40}, 7000},
      {"match time before the first time_left", {100'000, 30'000, std::nullopt}, 10'000},
      {"unlimited match ignores time_left", {4000, 0, 3}, 4000},
      {"negative turn limit", {-5, std::nullopt, std::nullopt}, 0},
      {"rounded like the time file", {1000, std::nullopt, 299}, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(MoveBudgetMs(c.Limits), c.BudgetMs) << c.What;
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
}

// Random lines from command words, numbers, separators and junk bytes, played on the real engine
// (budget 0, so each move is quick): every answer is one clean line, and every move it answers
// was an empty square that now holds the engine's stone.
TEST(BrainSession, RandomLinesKeepEveryAnswerLegal) {
  // clang-format off
  const std::string pieces[] = {
      "START", "TURN", "BEGIN", "BOARD", "DONE", "TAKEBACK", "INFO", "ABOUT", "rule", "time_left",
      " ", ",", "1", "9", "19", "20", "-1", "3", "99999999999999999999", std::string(1, '\0'),
      "\r", "\xff", "x"};
  // clang-format on
  TRandom random(12345);
  const testing::TTempDir dir;  // a lost position leaves a loss marker here
  TBrainSession session({"", 1u, dir.Path()});
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

}  // namespace
}  // namespace zarvo
