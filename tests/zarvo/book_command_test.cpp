// The zarvo book tool as a user runs it: building books from text, printing them, probing a
// board in every orientation, and the one-line errors and exit statuses of bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "testing/book_test_support.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::TTempDir;

using testing::TRun;

// The tool in dir, its arguments given as one line split at spaces.
TRun RunTool(const TTempDir& dir, std::string_view line) {
  return testing::RunTool(testing::ArgumentWords(line), dir.Path());
}

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(BookTool, BuildWritesBothBooksAndDumpPrintsThem) {
  TTempDir dir;
  dir.Write("games.txt",
            "# lone centre stone\n"
            "9,9 : 8,9 10 1\r\n"
            "\n"
            "9,9 10,10 8,10 11,11 : 7,11 3 0   # four stones\n"
            "8,10 11,11 9,9 10,10 : 7,11 2 5\n");  // the same position and reply: merged
  TRun run = RunTool(dir, "book build --out Opening games.txt");
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out,
            "Opening.ob1: 1 entry\nOpening.ob2: 1 entry\n"
            "1 repeated position merged into its entry\n");
  EXPECT_EQ(dir.Read("Opening.ob2"), testing::CentreStoneBook());

  run = RunTool(dir, "book dump Opening.ob2");
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out,
            "Opening.ob2: 1 entry\n"
            "1: stones 1 extent 14,14 own - opp 7,7 reply 6,7 plus 10 minus 1\n");
  run = RunTool(dir, "book dump Opening.ob1");
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(
      run.Out.find("1: stones 4 extent 17,16 own 8,7 7,8 opp 10,9 9,8 reply 6,9 plus 5 minus 5"),
      std::string::npos)
      << run.Out;
}

TEST(BookTool, ProbeFindsTheReplyInEveryOrientation) {
  TTempDir dir;
  // x (3,2), o (4,3), x (2,4): o to move; the book answers (5, 4).
  dir.Write("games.txt", "3,2 4,3 2,4 : 5,4 40 2\n");
  ASSERT_EQ(RunTool(dir, "book build games.txt").Status, 0);
  const TBookPosition game{{{3, 2}, {4, 3}, {2, 4}}, {5, 4}, 40, 2};
  for (int s = 0; s < 8; ++s) {
    const TBookPosition turned = testing::TurnBoard(s, game);
    TTempDir board;
    board.Write("Tah.dat", "o");
    board.Write("Plocha.dat", testing::BoardText({{turned.Moves[0].X, turned.Moves[0].Y, 'x'},
                                                  {turned.Moves[1].X, turned.Moves[1].Y, 'o'},
                                                  {turned.Moves[2].X, turned.Moves[2].Y, 'x'}}));
    const TRun run = RunTool(dir, "book probe " + board.Path().string() + " --book Zarvo");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string expected = std::to_string(turned.Reply.X) + "," +
                                 std::to_string(turned.Reply.Y) + " plus 40 minus 2 (symmetry ";
    EXPECT_EQ(run.Out.find(expected), run.Out.find('\n', run.Out.find("book ")) + 1)
        << "turn " << s << ":\n"
        << run.Out;
    EXPECT_EQ(Lines(run.Out), 3) << run.Out;  // board, book, one answer
  }

  // By default the book is looked up in the board's directory, as the engine does.
  TTempDir board;
  board.Write("Tah.dat", "o");
  board.Write("Plocha.dat", testing::BoardText({{3, 2, 'x'}, {4, 3, 'o'}, {2, 4, 'x'}}));
  std::filesystem::copy_file(dir / "Zarvo.ob2", board / "Zarvo.ob2");
  TRun run = RunTool(dir, "book probe " + board.Path().string());
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("5,4 plus 40 minus 2 (symmetry 1"), std::string::npos) << run.Out;

  board.Write("Plocha.dat", testing::BoardText({{3, 2, 'x'}, {4, 3, 'o'}, {12, 4, 'x'}}));
  run = RunTool(dir, "book probe " + board.Path().string());
  EXPECT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("no entry matches"), std::string::npos) << run.Out;
}

// --program applies the engine's own rule to the program path its manager gives, and names the
// book it gives: the one the engine would read, found or not.
TEST(BookTool, ProbeNamesTheBookTheEngineReadsForItsProgramPath) {
  TTempDir dir;
  dir.Write("games.txt", "3,2 4,3 2,4 : 5,4 40 2\n");
  ASSERT_EQ(RunTool(dir, "book build games.txt").Status, 0);
  dir.Write("Tah.dat", "o");
  dir.Write("Plocha.dat", testing::BoardText({{3, 2, 'x'}, {4, 3, 'o'}, {2, 4, 'x'}}));
  const std::string here = dir.Path().string();
  struct Case {
    std::string Program;
    std::string Book;  // the file named
    bool Found;
  } const cases[] = {
      {"../../bin/Zarvo2", here + "/Zarvo.ob2", true},
      {"/opt/engines/Zarvo2", here + "/Zarvo.ob2", true},
      {"/opt/zarvo-1.2/Zarvo2", "/opt/zarvo-1.ob2", false},
      {"../bin/pbrain-zarvo2.bin", here + "/../bin/pbrain-zarvo2.ob2", false},
  };
  for (const Case& c : cases) {
    const TRun run = RunTool(dir, "book probe " + here + " --program " + c.Program);
    const std::string named = "Zarvo2 started as " + c.Program + " in " + here + " reads " + c.Book;
    EXPECT_EQ(run.Out.find(named + "\n"), 0u) << c.Program << ": " << run.Out;
    EXPECT_EQ(run.Status, c.Found ? 0 : 1) << c.Program;
    EXPECT_EQ(run.Out.find("5,4 plus 40 minus 2") != std::string::npos, c.Found) << run.Out;
    if (!c.Found) {
      EXPECT_NE(run.Err.find("cannot read '" + c.Book + "'"), std::string::npos) << run.Err;
    }
  }
}

TEST(BookTool, BadUsageAndFailedRunsSayWhyInOneLine) {
  TTempDir dir;
  dir.Write("bad.txt", "9,9 : 8,9 10 1\n9,9 9,9 : 8,9 1 1\n");
  dir.Write("junk.txt", "hello\n");
  dir.Write("counts.txt", "9,9 : 8,9 10 -1\n");
  std::string truncated = testing::CentreStoneBook();
  truncated[0] = 2;  // promises two entries, holds one
  dir.Write("short.ob2", truncated);
  // Not books at all: a count field with its high bit set, and bytes after the last entry.
  dir.Write("highbit.ob1", std::string("\x01\x00\x00\x80junk junk", 13));
  dir.Write("tail.ob1", testing::CentreStoneBook() + "junk");
  dir.Write("empty.ob1", "");  // even an empty book holds its count
  struct Case {
    const char* Args;
    int Status;
    const char* Says;
  } const cases[] = {
      {"book", 2, "usage: zarvo book"},
      {"book frob", 2, "unknown subcommand 'frob'"},
      {"book build", 2, "no TEXTFILE given"},
      {"book build --out", 2, "--out needs a BASE"},
      {"book build --fast x.txt", 2, "unknown option '--fast'"},
      {"book dump", 2, "expects exactly one FILE"},
      {"book probe", 2, "no DIR given"},
      {"book probe a b", 2, "expects one DIR"},
      {"book probe a --program", 2, "--program needs a PATH"},
      {"book probe a --book B --program bin/Zarvo2", 2, "--book names the book itself"},
      {"book build missing.txt", 1, "cannot read 'missing.txt'"},
      {"book build bad.txt", 1, "bad.txt:2: move 2 (9,9) plays a square twice"},
      {"book build junk.txt", 1, "junk.txt:1: expected 'MOVE MOVE ... : REPLY PLUS MINUS'"},
      {"book build counts.txt", 1, "counts.txt:1: PLUS and MINUS must be whole numbers"},
      {"book dump missing.ob1", 1, "cannot read 'missing.ob1'"},
      {"book dump short.ob2", 1, "stops after 1 of 2 entries: the file ends inside an entry"},
      {"book dump highbit.ob1", 1, "no book: its entry count field reads 2147483649"},
      {"book dump tail.ob1", 1, "4 bytes of junk after its last entry"},
      {"book dump empty.ob1", 1, "empty.ob1: no book: the file is empty"},
      {"book probe nowhere", 1, "cannot read 'nowhere/Tah.dat'"},
  };
  for (const Case& c : cases) {
    const TRun run = RunTool(dir, c.Args);
    EXPECT_EQ(run.Status, c.Status) << c.Args;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << c.Args << ": " << run.Err;
    if (c.Status == 1) {
      EXPECT_EQ(Lines(run.Err), 1) << c.Args << ": " << run.Err;
    }
  }
  EXPECT_FALSE(dir.Exists("Zarvo.ob1"));  // a failed build writes nothing

  for (const char* help :
       {"book --help", "book build --help", "book dump -h", "book probe --help"}) {
    const TRun run = RunTool(dir, help);
    EXPECT_EQ(run.Status, 0) << help;
    EXPECT_EQ(run.Out.rfind("usage: zarvo book", 0), 0u) << help;
  }
}

}  // namespace
}  // namespace zarvo
