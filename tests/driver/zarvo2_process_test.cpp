// The real Zarvo2 program, started in temporary working directories as a manager starts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <sstream>

#include "board/position.h"
#include "book/book_builder.h"
#include "driver/move_files.h"
#include "tests/run_process.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::BoardText;
using testing::ParseAnswer;
using testing::TTempDir;

// setting: one "NAME=VALUE" for the engine's environment, or nothing.
int RunEngineIn(const TTempDir& dir, const std::string& setting = "") {
  testing::TProcess process{.Program = ZARVO2_EXE, .WorkDir = dir.Path()};
  if (const auto equals = setting.find('='); equals != std::string::npos)
    process.Environment.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
  return testing::RunProcess(process).Status;
}

// ZARVO_SEARCH=deep gives the deep search the same files and budget; any other value keeps the
// classic choice (on an empty board 9,9, where the deep search takes the centre 10,10).
TEST(Zarvo2Process, TheEnvironmentChoosesTheDeepSearch) {
  for (const auto& [environment, answer] :
       {std::pair{"ZARVO_SEARCH=deep", "10,10\r\n"}, std::pair{"ZARVO_SEARCH=Deep", "9,9\r\n"},
        std::pair{"ZARVO_SEARCH=", "9,9\r\n"}}) {
    TTempDir dir;
    dir.Write("Tah.dat", "x");
    dir.Write("Plocha.dat", "");
    EXPECT_EQ(RunEngineIn(dir, environment), 0);
    EXPECT_EQ(dir.Read("Tah.dat"), answer) << environment;
  }
  // A forced block within a 300 ms budget, and junk that still gets a legal square.
  TTempDir dir;
  dir.Write("Tah.dat", "o");
  dir.Write("Plocha.dat", BoardText({{5, 5, 'x'},
                                     {6, 5, 'x'},
                                     {7, 5, 'x'},
                                     {8, 5, 'x'},
                                     {4, 5, 'o'},
                                     {12, 12, 'o'},
                                     {13, 13, 'x'}}));
  dir.Write("TimeOuts.dat", "1\r\n900\r\n");
  EXPECT_EQ(RunEngineIn(dir, "ZARVO_SEARCH=deep"), 0);
  EXPECT_EQ(dir.Read("Tah.dat"), "9,5\r\n");
  dir.Write("Tah.dat", "\x01junk");
  dir.Write("Plocha.dat", std::string("\0\0\0x\0o", 6));
  dir.Write("TimeOuts.dat", "junk");
  EXPECT_EQ(RunEngineIn(dir, "ZARVO_SEARCH=deep"), 0);
  const auto written = ParseAnswer(dir.Read("Tah.dat"));
  ASSERT_TRUE(written);
  EXPECT_TRUE(OnBoard(written->first, written->second));
  EXPECT_FALSE(written->second == 0 && (written->first == 3 || written->first == 5));
}

TEST(Zarvo2Process, EmptyBoardIsAnsweredWithTheCentre) {
  for (const char* board : {"", "....................\r\n", "XXXXX\r\nOOOO\r\n"}) {
    TTempDir dir;
    dir.Write("Tah.dat", "x");
    dir.Write("Plocha.dat", board);
    EXPECT_EQ(RunEngineIn(dir), 0);
    EXPECT_EQ(dir.Read("Tah.dat"), "9,9\r\n") << "board '" << board << "'";
  }
}

TEST(Zarvo2Process, MissingFilesEndTheRunWithoutAnAnswer) {
  {
    TTempDir dir;
    dir.Write("Plocha.dat", BoardText({{3, 3, 'x'}}));
    EXPECT_EQ(RunEngineIn(dir), 0);
    EXPECT_FALSE(dir.Exists("Tah.dat"));  // no file is created
  }
  {
    TTempDir dir;
    dir.Write("Tah.dat", "o");
    EXPECT_EQ(RunEngineIn(dir), 0);
    EXPECT_EQ(dir.Read("Tah.dat"), "o");
  }
  {
    // Run by hand in an empty folder: one line on standard error says what is missing.
    TTempDir dir;
    const testing::TRun run = testing::RunProcess({.Program = ZARVO2_EXE, .WorkDir = dir.Path()});
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Err.starts_with("Zarvo2: no Tah.dat here to read: ")) << run.Err;
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    EXPECT_EQ(run.Out, "");
  }
}

// A manager that starts the engine by a path relative to the working folder ("../bin/Zarvo2")
// gets the books it gets from the full path: Zarvo.ob1 and .ob2 in the working folder.
TEST(Zarvo2Process, ARelativeProgramPathReadsTheBooksOfTheFullPath) {
  TTempDir dir;
  std::filesystem::create_directories(dir / "bin");
  std::filesystem::create_directories(dir / "work");
  std::filesystem::create_symlink(ZARVO2_EXE, dir / "bin/Zarvo2");
  // A reply the search would not choose (it plays 8,9), forced by its counters.
  TBookBuilder builder;
  ASSERT_EQ(builder.Add({{{9, 9}, {10, 10}, {8, 10}, {11, 11}}, {12, 8}, 7, 0}), std::nullopt);
  dir.Write("work/Zarvo.ob1", builder.Encode(0));
  for (const std::string& program : {(dir / "bin/Zarvo2").string(), std::string("../bin/Zarvo2"),
                                     std::string("./../bin/./Zarvo2")}) {
    dir.Write("work/Tah.dat", "x");
    dir.Write("work/Plocha.dat",
              BoardText({{9, 9, 'x'}, {10, 10, 'o'}, {8, 10, 'x'}, {11, 11, 'o'}}));
    const testing::TRun run = testing::RunProcess({.Program = program, .WorkDir = dir / "work"});
    EXPECT_EQ(run.Status, 0) << program << ": " << run.Err;
    EXPECT_EQ(dir.Read("work/Tah.dat"), "12,8\r\n") << program;
  }
}

// Whatever junk the files hold, the answer is one line naming an empty square of the board.
TEST(Zarvo2Process, JunkInputStillGetsALegalAnswer) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 37) & 0xFF));
  struct Case {
    std::string MoveFile, Board, TimeOuts;
  } const cases[] = {
      {"x", BoardText({{9, 9, 'o'}}), ""},
      {"\x01\x02junk", BoardText({{0, 0, 'x'}, {1, 0, 'o'}, {0, 1, 'x'}}), "junk\r\n"},
      {"o", binary, binary},
      {"", std::string(1 << 20, 'x') + "\n", "-1\n-1\n"},
      {"x", std::string("\0\0\0x\0o", 6), "99999999999\n99999999999\n"},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("Tah.dat", c.MoveFile);
    dir.Write("Plocha.dat", c.Board);
    dir.Write("TimeOuts.dat", c.TimeOuts);
    EXPECT_EQ(RunEngineIn(dir), 0);
    const std::string written = dir.Read("Tah.dat");
    const auto answer = ParseAnswer(written);
    ASSERT_TRUE(answer) << written;
    EXPECT_TRUE(OnBoard(answer->first, answer->second)) << written;
    // An empty square of the board as the engine reads it.
    std::istringstream board(c.Board);
    const TBoardText text = ReadBoardText(board);
    if (answer->second < text.RowCount &&
        answer->first < static_cast<int>(text.Rows[answer->second].size())) {
      const char square = text.Rows[answer->second][answer->first];
      EXPECT_TRUE(square != 'x' && square != 'o') << written;
    }
  }
}

// Positions with few sound answers, played through the files with a one-second budget.
TEST(Zarvo2Process, PlaysTheForcedMoves) {
  struct Case {
    const char* What;
    char Side;
    std::initializer_list<testing::TStone> Stones;
    std::set<std::pair<int, int>> Allowed;
  } const cases[] = {
      {"completes its four",
       'x',
       {{5, 5, 'x'},
        {6, 5, 'x'},
        {7, 5, 'x'},
        {8, 5, 'x'},
        {4, 5, 'o'},
        {12, 12, 'o'},
        {13, 13, 'o'}},
       {{9, 5}}},
      {"blocks the single five-square",
       'o',
       {{5, 5, 'x'},
        {6, 5, 'x'},
        {7, 5, 'x'},
        {8, 5, 'x'},
        {4, 5, 'o'},
        {12, 12, 'o'},
        {13, 13, 'x'}},
       {{9, 5}}},
      {"blocks an open three",
       'o',
       {{5, 5, 'x'},
        {6, 5, 'x'},
        {7, 5, 'x'},
        {12, 12, 'x'},
        {9, 9, 'o'},
        {10, 10, 'o'},
        {14, 3, 'o'}},
       {{4, 5}, {8, 5}, {3, 5}, {9, 5}}},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("Tah.dat", std::string(1, c.Side));
    dir.Write("Plocha.dat", BoardText(c.Stones));
    dir.Write("TimeOuts.dat", "1\r\n3000\r\n");
    EXPECT_EQ(RunEngineIn(dir), 0);
    const auto answer = ParseAnswer(dir.Read("Tah.dat"));
    ASSERT_TRUE(answer) << c.What;
    EXPECT_TRUE(c.Allowed.contains(*answer))
        << c.What << ": " << answer->first << "," << answer->second;
  }
}

}  // namespace
}  // namespace zarvo
