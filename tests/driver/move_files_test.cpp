#include "driver/move_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "driver/deep_engine.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::BoardText;
using testing::TTempDir;

struct TRead {
  bool Ok = false;
  TEngineState State;
  TPosition Position{};
};

TRead ReadIn(const TTempDir& dir) {
  TRead read;
  read.State.WorkDir = dir.Path();
  read.Ok = ReadMoveFiles(read.State, read.Position);
  return read;
}

std::vector<std::tuple<int, int, char>> StonesOf(const TPosition& position) {
  std::vector<std::tuple<int, int, char>> stones;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (uint8_t s = position.Cell(x, y).Stone)
        stones.emplace_back(x, y, s == kStoneX ? 'x' : 'o');
  return stones;
}

TEST(MoveFiles, BoardFileQuirks) {
  const std::string twentyDots(20, '.');
  std::string longLine = "..x" + std::string(3'000'000, 'o');  // megabytes on one line
  std::string junk;
  for (int i = 0; i < 256; ++i) junk.push_back(static_cast<char>(i));
  struct Case {
    const char* What;
    std::string Board;
    std::vector<std::tuple<int, int, char>> Stones;
  } const cases[] = {
      {"upper case letters are not stones", "..X..O\r\n", {}},
      {"third character of the first line", "..x\r\n", {{2, 0, 'x'}}},
      {"characters after the 20th are ignored", twentyDots + "xxxxx\r\n" + "o\r\n", {{0, 1, 'o'}}},
      {"a 21st line is ignored",
       [&] {
         std::string text;
         for (int i = 0; i < 20; ++i) text += twentyDots + "\r\n";
         return text + "xxxx\r\n";
       }(),
       {}},
      {"an empty third line ends the board", "x\r\n.o\r\n\r\n..x\r\n", {{0, 0, 'x'}, {1, 1, 'o'}}},
      {"LF line ends", "x\n.o\n", {{0, 0, 'x'}, {1, 1, 'o'}}},
      {"lone CR line ends", "x\r.o\r", {{0, 0, 'x'}, {1, 1, 'o'}}},
      {"last line without line end", "x\r\n.o", {{0, 0, 'x'}, {1, 1, 'o'}}},
      {"NUL bytes are empty squares", std::string("\0x\0", 3) + "\n", {{1, 0, 'x'}}},
      {"binary junk", junk, {}},  // "\n" (10) ends the first line after 10 bytes without stones
      {"megabytes of text",
       longLine + "\nx\n",
       {{2, 0, 'x'},
        {3, 0, 'o'},
        {4, 0, 'o'},
        {5, 0, 'o'},
        {6, 0, 'o'},
        {7, 0, 'o'},
        {8, 0, 'o'},
        {9, 0, 'o'},
        {10, 0, 'o'},
        {11, 0, 'o'},
        {12, 0, 'o'},
        {13, 0, 'o'},
        {14, 0, 'o'},
        {15, 0, 'o'},
        {16, 0, 'o'},
        {17, 0, 'o'},
        {18, 0, 'o'},
        {19, 0, 'o'},
        {0, 1, 'x'}}},
      {"an empty file", "", {}},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("Tah.dat", "x");
    dir.Write("Plocha.dat", c.Board);
    TRead read = ReadIn(dir);
    ASSERT_TRUE(read.Ok) << c.What;
    EXPECT_EQ(StonesOf(read.Position), c.Stones) << c.What;
    EXPECT_EQ(read.State.StoneCount, static_cast<int>(c.Stones.size())) << c.What;
  }
}

TEST(MoveFiles, FirstStoneAndEarlyOppStoneFollowReadingOrder) {
  struct Case {
    char Side;
    std::initializer_list<testing::TStone> Stones;
    TSquare First, EarlyOpp;
  } const cases[] = {
      // Reading order is line by line, within a line by increasing X.
      {'x', {{5, 3, 'o'}, {2, 4, 'o'}}, {5, 3}, {2, 4}},  // both opponent: the second
      {'x', {{5, 3, 'o'}, {2, 4, 'x'}}, {5, 3}, {5, 3}},  // opponent then own: the first
      {'x', {{5, 3, 'x'}, {2, 4, 'o'}, {9, 9, 'o'}}, {5, 3}, {2, 4}},  // third stone too late
      {'o', {{7, 1, 'x'}, {3, 1, 'o'}}, {3, 1}, {7, 1}},
      {'-', {{7, 1, 'x'}, {3, 1, 'o'}}, {3, 1}, {7, 1}},  // "-": every stone is not own
      {'x', {}, {0, 0}, {0, 0}},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("Tah.dat", std::string(1, c.Side));
    dir.Write("Plocha.dat", BoardText(c.Stones));
    TRead read = ReadIn(dir);
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.State.FirstStone, c.First);
    EXPECT_EQ(read.State.EarlyOppStone, c.EarlyOpp);
  }
}

TEST(MoveFiles, SideToPlayFromTheFirstCharacterOfTheMoveFile) {
  struct Case {
    std::string MoveFile;
    std::initializer_list<testing::TStone> Stones;
    uint8_t Own;
  } const cases[] = {
      {"x", {}, kStoneX},
      {"o and some text\r\n", {}, kStoneO},
      {"-", {}, kEmpty},
      // No side named: the side whose turn the counts show.
      {"", {}, kStoneX},
      {"X", {{1, 1, 'x'}}, kStoneO},
      {"?", {{1, 1, 'x'}, {2, 2, 'o'}}, kStoneX},
      {"\n", {{1, 1, 'o'}}, kStoneX},
  };
  for (const Case& c : cases) {
    TTempDir dir;
    dir.Write("Tah.dat", c.MoveFile);
    dir.Write("Plocha.dat", BoardText(c.Stones));
    TRead read = ReadIn(dir);
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.State.Sides.OwnStone, c.Own) << "move file '" << c.MoveFile << "'";
    // Stones are filed by the slot of the chosen side.
    if (c.Own != kEmpty)
      for (auto [x, y, s] : StonesOf(read.Position)) {
        const int slot = (s == 'x') == (c.Own == kStoneX) ? 0 : 1;
        EXPECT_NE(read.Position.StraightBits[slot].ColumnBits[x] & SquareBit(y), 0u);
      }
  }
}

TEST(MoveFiles, MissingOrDirectoryFilesReadNothing) {
  {
    TTempDir dir;  // no move file
    dir.Write("Plocha.dat", BoardText({{3, 3, 'x'}}));
    EXPECT_FALSE(ReadIn(dir).Ok);
  }
  {
    TTempDir dir;  // no board file
    dir.Write("Tah.dat", "x");
    EXPECT_FALSE(ReadIn(dir).Ok);
  }
  {
    TTempDir dir;  // board file is a folder
    dir.Write("Tah.dat", "x");
    std::filesystem::create_directory(dir / "Plocha.dat");
    EXPECT_FALSE(ReadIn(dir).Ok);
  }
}

// One reading serves both engines: what the files said is kept for the deep search, the same as
// a reading of its own would give, and the files may be gone by the time it starts.
TEST(MoveFiles, WhatTheFilesSaidIsKeptForASecondEngine) {
  TTempDir dir;
  dir.Write("Tah.dat", "o");
  dir.Write("Plocha.dat", BoardText({{3, 3, 'x'}, {4, 4, 'o'}, {5, 3, 'x'}}));
  const std::optional<TFolderPosition> own = ReadFolderPosition(dir.Path());
  ASSERT_TRUE(own);
  TEngineState state;
  state.WorkDir = dir.Path();
  TPosition position{};
  TFolderPosition kept;
  ASSERT_TRUE(ReadMoveFiles(state, position, nullptr, &kept));
  std::filesystem::remove(dir / "Plocha.dat");
  EXPECT_EQ(kept.Side, kStoneO);
  EXPECT_EQ(kept.Side, own->Side);
  EXPECT_EQ(kept.Board.RowCount, own->Board.RowCount);
  EXPECT_EQ(kept.Board.Rows, own->Board.Rows);
  EXPECT_FALSE(ReadFolderPosition(dir.Path()));
}

TEST(MoveFiles, WriteMoveFileReplacesTheMoveFileWithOneLine) {
  TTempDir dir;
  TEngineState state;
  state.WorkDir = dir.Path();
  dir.Write("Tah.dat", "o with more text\r\nand a second line\r\n");
  EXPECT_TRUE(WriteMoveFile(state, 9, 9));
  EXPECT_EQ(dir.Read("Tah.dat"), "9,9\r\n");
  EXPECT_TRUE(WriteMoveFile(state, 12, -3));
  EXPECT_EQ(dir.Read("Tah.dat"), "12,-3\r\n");
}

TEST(MoveFiles, WriteMoveFileLeavesAnEmptyFileWhenTheMoveFileHasGone) {
  TTempDir dir;
  TEngineState state;
  state.WorkDir = dir.Path();
  EXPECT_FALSE(WriteMoveFile(state, 9, 9));
  EXPECT_TRUE(dir.Exists("Tah.dat"));
  EXPECT_EQ(dir.Read("Tah.dat"), "");
}

}  // namespace
}  // namespace zarvo
