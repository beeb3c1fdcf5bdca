// Game records written and read back, the rules that judge a move, and the openings.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "match/game_record.h"
#include "match/game_rules.h"
#include "match/openings.h"

namespace zarvo::match {
namespace {

TGameRecord SampleRecord() {
  TGameRecord record;
  record.Number = 7;
  record.XEngine = "file:/opt/engines/Zarvo2";
  record.OEngine = "pipe:/opt/engines/pbrain-zarvo2";
  record.Opening = {{9, 9}, {10, 10}, {9, 10}};
  record.Moves = {{{10, 9}, 123}, {{0, 19}, 0}, {{19, 0}, 45678}};
  record.Outcome = TOutcome::OWins;
  record.Reason = TEndReason::IllegalMove;
  record.Detail = "answered 9,9, an occupied square\nsecond line";
  return record;
}

TEST(GameRecord, TextReadsBackAsTheSameGame) {
  for (const TEndReason reason :
       {TEndReason::Five, TEndReason::FullBoard, TEndReason::IllegalMove, TEndReason::BadAnswer,
        TEndReason::Crash, TEndReason::NoAnswer, TEndReason::Timeout}) {
    TGameRecord record = SampleRecord();
    record.Reason = reason;
    std::istringstream in(RecordText(record));
    std::string error;
    const auto back = ParseRecord(in, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->Number, 7);
    EXPECT_EQ(back->XEngine, record.XEngine);
    EXPECT_EQ(back->OEngine, record.OEngine);
    EXPECT_EQ(back->Opening, record.Opening);
    ASSERT_EQ(back->Moves.size(), 3u);
    EXPECT_EQ(back->Moves[2].Square, (TSquare{19, 0}));
    EXPECT_EQ(back->Moves[2].ThinkMs, 45678);
    EXPECT_EQ(back->Outcome, TOutcome::OWins);
    EXPECT_EQ(back->Reason, reason);
    // An engine's text with a line end in it stays on the detail line.
    EXPECT_EQ(back->Detail, "answered 9,9, an occupied square second line");
  }
}

TEST(GameRecord, TextNumbersMovesFromTheOpening) {
  const std::string text = RecordText(SampleRecord());
  EXPECT_NE(text.find("Opening: 9,9 10,10 9,10\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Move 4: o 10,9 123 ms\nMove 5: x 0,19 0 ms\n"), std::string::npos);
  EXPECT_NE(text.find("Result: o wins\nReason: illegal move\n"), std::string::npos);

  TGameRecord empty = SampleRecord();
  empty.Opening.clear();
  std::istringstream in(RecordText(empty));
  std::string error;
  const auto back = ParseRecord(in, error);
  ASSERT_TRUE(back) << error;
  EXPECT_TRUE(back->Opening.empty());
}

TEST(GameRecord, BoardSizeAndRuleReadBack) {
  const struct {
    int Size;
    bool ExactlyFive, Renju;
    const char* Lines;
  } cases[] = {
      {20, false, false, "Board: 20\nRule: freestyle\n"},
      {15, true, false, "Board: 15\nRule: exactly five\n"},
      {17, false, false, "Board: 17\nRule: freestyle\n"},
      {15, false, true, "Board: 15\nRule: renju\n"},
  };
  for (const auto& c : cases) {
    TGameRecord record = SampleRecord();
    record.BoardSize = c.Size;
    record.ExactlyFive = c.ExactlyFive;
    record.Renju = c.Renju;
    record.Moves.resize(1);  // the others lie beyond a 15 x 15 board
    const std::string text = RecordText(record);
    EXPECT_NE(text.find(std::string(c.Lines) + "Opening: "), std::string::npos) << text;
    std::istringstream in(text);
    std::string error;
    const auto back = ParseRecord(in, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->BoardSize, c.Size);
    EXPECT_EQ(back->ExactlyFive, c.ExactlyFive);
    EXPECT_EQ(back->Renju, c.Renju);
    EXPECT_EQ(RecordText(*back), text);
  }
}

TEST(GameRecord, ARecordWithoutBoardOrRuleIsA20By20FreestyleGame) {
  // As records were written before they carried their game.
  std::istringstream in(
      "# zarvo match game record\nGame: 2\nx: file:a\no: pipe:b\nOpening: 9,9 10,10\n"
      "Move 3: x 19,19 5 ms\nResult: draw\nReason: full board\nDetail: no empty square left\n");
  std::string error;
  const auto record = ParseRecord(in, error);
  ASSERT_TRUE(record) << error;
  EXPECT_EQ(record->BoardSize, 20);
  EXPECT_FALSE(record->ExactlyFive);
  EXPECT_EQ(record->Moves.at(0).Square, (TSquare{19, 19}));
}

TEST(GameRecord, TheWinningLineFollowsTheRecordsRule) {
  // x's sixth stone joins two runs into six in a row: a win only in freestyle.
  TGameRecord record;
  record.Opening = {{3, 3}, {3, 10}, {4, 3}, {4, 10}, {5, 3}, {5, 10}};
  record.Moves = {{{7, 3}, 1}, {{6, 10}, 1}, {{8, 3}, 1}, {{9, 12}, 1}, {{6, 3}, 1}};
  record.Reason = TEndReason::Five;
  EXPECT_EQ(record.WinningLine().size(), 6u);
  record.ExactlyFive = true;
  EXPECT_TRUE(record.WinningLine().empty());
  // Under renju only x needs exactly five.
  record.ExactlyFive = false;
  record.Renju = true;
  EXPECT_TRUE(record.WinningLine().empty());
  record.Opening.insert(record.Opening.begin(), {0, 0});  // the same stones, colours swapped
  EXPECT_EQ(record.WinningLine().size(), 6u);
}

TEST(GameRecord, InconsistentTextIsRefused) {
  const std::string head = "Game: 1\nx: a\no: b\nOpening: 9,9\n";
  const std::string tail = "Result: draw\nReason: full board\n";
  struct TCase {
    std::string Text;
    const char* Error;
  };
  const TCase cases[] = {
      {head + "Move 2: o 9,9 1 ms\n" + tail, "occupied"},
      {head + "Move 3: o 5,5 1 ms\n" + tail, "expected move 2"},
      {head + "Move 2: x 5,5 1 ms\n" + tail, "out of turn"},
      {head + "Move 2: o 20,5 1 ms\n" + tail, "bad square"},
      {head + "Move 2: o 5,5 -1 ms\n" + tail, "thinking time"},
      {head + "Move 2: o 5,5\n" + tail, "COLOUR X,Y MS ms"},
      {head + "Result: x lost\nReason: five\n", "unknown result"},
      {head + "Result: draw\nReason: boredom\n", "unknown reason"},
      {head + tail + "Move 2: o 5,5 1 ms\n", "after the result"},
      {"Game: 1\nOpening: 9,9 9,9\n" + tail, "occupied"},
      {head + "Move 2: o 5,5 1 ms\n", "incomplete"},
      {"not a record\n", "Key: value"},
      {"Game: 1\nBoard: 14\nOpening: 9,9\n" + tail, "board size"},
      {"Game: 1\nBoard: 21\nOpening: 9,9\n" + tail, "board size"},
      {"Game: 1\nRule: caro\nOpening: 9,9\n" + tail, "unknown rule"},
      {head + "Board: 15\n" + tail, "before the opening"},
      {"Game: 1\nBoard: 15\nOpening: 9,9 15,3\n" + tail, "bad square"},
      {"Game: 1\nBoard: 15\nOpening: 9,9\nMove 2: o 3,15 1 ms\n" + tail, "bad square"},
      {"", "incomplete"},
  };
  for (const TCase& c : cases) {
    std::istringstream in(c.Text);
    std::string error;
    EXPECT_FALSE(ParseRecord(in, error)) << c.Text;
    EXPECT_NE(error.find(c.Error), std::string::npos) << c.Text << "\n-> " << error;
  }
}

TEST(GameRules, FiveThroughFindsTheWholeRunInEveryDirection) {
  struct TCase {
    std::vector<TSquare> Run;  // x stones; o stones go far away
    TSquare Last;
    std::size_t Expected;
  };
  const TCase cases[] = {
      {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, {4, 0}, 5},              // along a line
      {{{19, 15}, {19, 16}, {19, 17}, {19, 18}, {19, 19}}, {19, 17}, 5},  // down a column
      {{{3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}, {5, 5}, 6},      // six counts
      {{{19, 0}, {18, 1}, {17, 2}, {16, 3}, {15, 4}}, {15, 4}, 5},        // anti-diagonal
      {{{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {3, 0}, 0},                      // four is not five
      {{{16, 0}, {17, 0}, {18, 0}, {19, 0}, {0, 1}}, {0, 1}, 0},          // no wrapping
  };
  for (const TCase& c : cases) {
    TGameBoard board(kBoardSize);
    for (const TSquare& square : c.Run) board.Place(square, 'x');
    const auto five = FiveThrough(board, c.Last);
    EXPECT_EQ(five.size(), c.Expected) << SquareText(c.Last);
    if (!five.empty()) {
      EXPECT_EQ(five.front(), c.Run.front());
      EXPECT_EQ(five.back(), c.Run.back());
    }
  }
  TGameBoard board(kBoardSize);
  board.Place({5, 5}, 'o');
  for (int x = 0; x < 5; ++x) board.Place({x, 5}, x == 2 ? 'o' : 'x');
  EXPECT_TRUE(FiveThrough(board, {4, 5}).empty());  // broken by the other colour
}

TEST(GameRules, UnderExactlyFiveSixInARowIsNoWin) {
  TGameBoard board(kBoardSize);
  for (int x = 3; x <= 8; ++x) board.Place({x, 3}, 'x');  // six across
  for (int y = 5; y <= 9; ++y) board.Place({3, y}, 'x');  // five down
  EXPECT_EQ(FiveThrough(board, {5, 3}).size(), 6u);
  EXPECT_TRUE(FiveThrough(board, {5, 3}, true).empty());
  EXPECT_EQ(FiveThrough(board, {3, 7}, true).size(), 5u);
}

TEST(GameRules, CoordinatesAreParsedStrictly) {
  EXPECT_EQ(ParseCoordinates("3,4"), (TSquare{3, 4}));
  EXPECT_EQ(ParseCoordinates(" 19 , 0 \r"), (TSquare{19, 0}));
  EXPECT_EQ(ParseCoordinates("-1,25"), (TSquare{-1, 25}));  // off the board, but a move
  for (const char* bad : {"", "3", "3,", ",4", "3;4", "3,4,5", "a,b", "3,99999999999", "3 4"})
    EXPECT_FALSE(ParseCoordinates(bad)) << bad;
}

TEST(Openings, FileLinesBecomeOpenings) {
  std::istringstream in("# two openings\n9,9 10,10 9,10\n\n-   # the empty board\n  5,5  6,6\n");
  std::string error;
  const auto openings = ParseOpenings(in, error);
  ASSERT_TRUE(openings) << error;
  ASSERT_EQ(openings->size(), 3u);
  EXPECT_EQ((*openings)[0].size(), 3u);
  EXPECT_TRUE((*openings)[1].empty());
  EXPECT_EQ((*openings)[2], (TOpening{{5, 5}, {6, 6}}));

  for (const char* bad :
       {"9,9 9,9\n", "9,9 20,0\n", "9,9 x\n", "9,9 -\n", "0,0 0,5 1,0 1,5 2,0 2,5 3,0 3,5 4,0\n"}) {
    std::istringstream badIn(bad);
    EXPECT_FALSE(ParseOpenings(badIn, error)) << bad;
  }
}

TEST(Openings, RandomOpeningsAreSmallCentralAndRepeatable) {
  TRandom random(42), again(42);
  std::set<std::size_t> sizes;
  for (int i = 0; i < 200; ++i) {
    const TOpening opening = RandomOpening(random, kBoardSize);
    EXPECT_EQ(opening, RandomOpening(again, kBoardSize));
    sizes.insert(opening.size());
    std::set<std::pair<int, int>> squares;
    for (const TSquare& square : opening) {
      EXPECT_TRUE(square.X >= 6 && square.X <= 12 && square.Y >= 6 && square.Y <= 12);
      squares.insert({square.X, square.Y});
    }
    EXPECT_EQ(squares.size(), opening.size());
  }
  EXPECT_EQ(sizes, (std::set<std::size_t>{2, 3, 4}));
}

TEST(Openings, RandomOpeningsAreCentralOnEveryBoard) {
  // The 7 x 7 area's first square: centred, half a square towards the origin on an even board.
  const struct { int Size, Low; } cases[] = {{20, 6}, {19, 6}, {17, 5}, {16, 4}, {15, 4}};
  for (const auto& c : cases) {
    TRandom random(7);
    std::set<int> seen;
    for (int i = 0; i < 300; ++i)
      for (const TSquare& square : RandomOpening(random, c.Size)) {
        EXPECT_TRUE(square.X >= c.Low && square.X <= c.Low + 6 && square.Y >= c.Low &&
                    square.Y <= c.Low + 6)
            << c.Size << ": " << SquareText(square);
        seen.insert(square.X);
      }
    EXPECT_EQ(seen.size(), 7u) << c.Size;  // the whole area is used
  }
}

}  // namespace
}  // namespace zarvo::match
