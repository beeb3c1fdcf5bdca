// The real Zarvo2 program, started in temporary working directories as a manager starts it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::BoardText;
using testing::TTempDir;

int RunEngineIn(const TTempDir& dir) {
  const std::string command = "cd '" + dir.Path().string() + "' && '" ZARVO2_EXE "'";
  return std::system(command.c_str());
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
  const std::regex answer(R"((\d+),(\d+)\r\n)");
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("Tah.dat", c.MoveFile);
    dir.Write("Plocha.dat", c.Board);
    dir.Write("TimeOuts.dat", c.TimeOuts);
    EXPECT_EQ(RunEngineIn(dir), 0);
    std::smatch match;
    const std::string written = dir.Read("Tah.dat");
    ASSERT_TRUE(std::regex_match(written, match, answer)) << written;
    const int x = std::stoi(match[1]), y = std::stoi(match[2]);
    EXPECT_TRUE(x < 20 && y < 20) << written;
  }
}

}  // namespace
}  // namespace zarvo
