#include "driver/engine_config.h"

#include <gtest/gtest.h>

#include "driver/text_lines.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::TTempDir;

TEST(EngineConfig, TimeOutsFileGivesBudgetAndDepth) {
  struct Case {
    const char* File;  // nullptr: no file
    int64_t BudgetMs;
    int32_t Depth;
  } const cases[] = {
      {nullptr, 3'600'000, 9},  // defaults: one hour, depth 9
      {"5\r\n30000\r\n", 5000, 9},
      {"10\r\n900\r\n", 300, 3},
      {"0\r\n600000\r\n", 0, 0},
      {"1\r\n299\r\n", 100, 1},  // 99.67 rounds to 100
      {"1\n599\n", 200, 3},
      {"2\r1499\r", 500, 5},
      {"3\n6000\n", 2000, 7},
      {"100\n11999\n", 4000, 9},
      {"100\n11998\n", 3999, 7},
      {"5\r\n", 0, 0},  // the missing second line counts as -1
      {"", 0, 0},
      {"junk\r\n30000\r\n", 0, 0},
      {"5\r\nfive thousand\r\n", 0, 0},
      {" 5 \r\n +30000\r\nanything after the second line\r\n", 5000, 9},
      {"-5\r\n30000\r\n", 0, 0},
      {"5\r\n-30000\r\n", 0, 0},
      // Seconds whose product with 1000 leaves 32 bits: the amount decides, not an overflow.
      {"2147483647\r\n30000\r\n", 10000, 9},
      {"9999999\r\n2147483647\r\n", 715827882, 9},
      {"99999999999\r\n30000\r\n", 0, 0},  // not a 32-bit number at all
      {"5\r\n30000", 5000, 9},             // no line end after the last line
  };
  for (const Case& c : cases) {
    TTempDir dir;
    if (c.File) dir.Write("TimeOuts.dat", c.File);
    TEngineState state;
    state.WorkDir = dir.Path();
    ReadTimeOuts(state);
    const std::string what = c.File ? c.File : "(no file)";
    EXPECT_EQ(state.Time.TimeBudget.count(), c.BudgetMs) << what;
    EXPECT_EQ(state.MaxDepth, c.Depth) << what;
  }
}

TEST(EngineConfig, TimeOutsFolderKeepsTheDefaults) {
  TTempDir dir;
  std::filesystem::create_directory(dir / "TimeOuts.dat");
  TEngineState state;
  state.WorkDir = dir.Path();
  ReadTimeOuts(state);
  EXPECT_EQ(state.Time.TimeBudget, std::chrono::hours(1));
  EXPECT_EQ(state.MaxDepth, 9);
}

TEST(EngineConfig, ExeBaseNameIsThePathUpToItsFirstDot) {
  EXPECT_EQ(ExeBaseNameOf("/opt/engines/Zarvo2"), "Zarvo");
  EXPECT_EQ(ExeBaseNameOf("Zarvo2"), "Zarvo");
  EXPECT_EQ(ExeBaseNameOf(""), "Zarvo");
  EXPECT_EQ(ExeBaseNameOf("/opt/engines/Zarvo2.exe"), "/opt/engines/Zarvo2");
  EXPECT_EQ(ExeBaseNameOf("/home/me/zarvo-1.2/bin/Zarvo2"), "/home/me/zarvo-1");
}

// A path relative to the working folder: its "." and ".." steps are no extension, so the books
// are those of the same program started by a full path without dots.
TEST(EngineConfig, ExeBaseNameOfRelativePaths) {
  struct Case {
    const char* Path;
    const char* Base;
  } const cases[] = {
      {"./Zarvo2", "Zarvo"},
      {"../../bin/Zarvo2", "Zarvo"},
      {"bin/./../bin/Zarvo2", "Zarvo"},
      {"../bin/Zarvo2.bin", "../bin/Zarvo2"},
      {"../zarvo-1.2/Zarvo2", "../zarvo-1"},
      {"./.local/bin/Zarvo2", "./"},  // a hidden folder's dot still counts
      {"..hidden/Zarvo2", ""},        // a name, not a step up
      {R"(..\bin\Zarvo2.exe)", R"(..\bin\Zarvo2)"},
      {R"(.\Zarvo2.exe)", R"(.\Zarvo2)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExeBaseNameOf(c.Path), c.Base) << c.Path;
}

// Program paths as Windows hands them over: drive letters, backslashes, spaces, the .exe.
TEST(EngineConfig, ExeBaseNameOfWindowsPaths) {
  struct Case {
    const char* Path;
    const char* Base;
  } const cases[] = {
      {R"(C:\Engines\Zarvo2.exe)", R"(C:\Engines\Zarvo2)"},
      {R"(C:\Engines\pbrain-zarvo2.exe)", R"(C:\Engines\pbrain-zarvo2)"},
      {R"(C:\Program Files\Gomoku\Zarvo2.exe)", R"(C:\Program Files\Gomoku\Zarvo2)"},
      {"Zarvo2.exe", "Zarvo2"},
      {R"(\\server\share\Zarvo2.exe)", R"(\\server\share\Zarvo2)"},
      // A dot in a folder name cuts there, as on Linux.
      {R"(C:\Users\j.smith\Zarvo2.exe)", R"(C:\Users\j)"},
      {R"(C:\Engines\Zarvo2)", "Zarvo"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExeBaseNameOf(c.Path), c.Base) << c.Path;
}

TEST(EngineConfig, InitEngineSetsSeedBaseNameAndLimits) {
  TTempDir dir;
  dir.Write("TimeOuts.dat", "10\n900\n");
  TEngineState state;
  state.WorkDir = dir.Path();
  InitEngine(state, "/games/book.v2/Zarvo2", 12345u);
  EXPECT_EQ(state.ExeBaseName, "/games/book");
  EXPECT_EQ(state.MaxDepth, 3);
  EXPECT_EQ(state.Rng.Random(10), 3);  // the injected seed decides every draw
}

TEST(TextLines, ParseInt32AcceptsDecimalNumbersOnly) {
  EXPECT_EQ(ParseInt32("42"), 42);
  EXPECT_EQ(ParseInt32(" -7\t"), -7);
  EXPECT_EQ(ParseInt32("+8"), 8);
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", " ", "2147483648", "0x10", "12a", "+-1", "- 1", "1 2", "$10"})
    EXPECT_EQ(ParseInt32(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace zarvo
