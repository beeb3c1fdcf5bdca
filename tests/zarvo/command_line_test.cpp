// What each program says to a person at the command line: usage and version without touching a
// file, the same exit statuses everywhere (0 done, 1 failed, 2 bad usage), and one clear line
// for each input it refuses.
#include <gtest/gtest.h>

#include <string>

#include "tests/run_process.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TRun;
using testing::TTempDir;

// Runs a program in dir, its arguments given as one line split at spaces.
TRun RunIn(const TTempDir& dir, const std::string& program, const std::string& arguments) {
  return testing::RunProcess(
      {.Program = program, .Args = testing::ArgumentWords(arguments), .WorkDir = dir.Path()});
}

// Zarvo2 in a folder ready for a move: any argument is a person, so the move files stay as they
// are whatever the argument, and so does every other program's folder.
TEST(CommandLine, HelpAndVersionTouchNoFile) {
  TTempDir dir;
  const std::string board = testing::BoardText({{9, 9, 'x'}});
  for (const std::string program : {ZARVO2_EXE, ZARVO_TOOL_EXE
#ifdef PBRAIN_EXE
                                    ,
                                    PBRAIN_EXE
#endif
       }) {
    const std::string name = program.substr(program.find_last_of('/') + 1);
    struct Case {
      const char* Argument;
      int Status;
      bool ToStdout;
    } const cases[] = {{"--help", 0, true}, {"--version", 0, true}, {"--bogus", 2, false}};
    for (const Case& c : cases) {
      dir.Write("Tah.dat", "o\r\n");
      dir.Write("Plocha.dat", board);
      const TRun run = RunIn(dir, program, c.Argument);
      SCOPED_TRACE(name + " " + c.Argument);
      EXPECT_EQ(run.Status, c.Status) << run.Err;
      EXPECT_FALSE((c.ToStdout ? run.Out : run.Err).empty());
      if (std::string(c.Argument) == "--version") {
        EXPECT_EQ(run.Out, name + " 2.0\n");
      }
      EXPECT_EQ(dir.Read("Tah.dat"), "o\r\n");
      EXPECT_EQ(dir.Read("Plocha.dat"), board);
      EXPECT_FALSE(dir.Exists("DiDeRoLose.zrv"));
    }
  }
  // Without an argument Zarvo2 is the engine again and answers.
  EXPECT_EQ(RunIn(dir, ZARVO2_EXE, "").Status, 0);
  EXPECT_NE(dir.Read("Tah.dat"), "o\r\n");
}

// Each refusal names what was wrong, once, and nothing is printed before it.
TEST(CommandLine, RefusedInputIsNamedOnce) {
  TTempDir dir;
  dir.Write("twice.txt", "9,9 10,10 9,9\n");
  std::string binary(5000, '\0');
  for (std::size_t k = 0; k < binary.size(); ++k) binary[k] = static_cast<char>(k * 7 + 1);
  dir.Write("binary.txt", binary);
  struct Case {
    const char* Program;
    std::string Arguments;
    int Status;
    const char* Says;
  } const cases[] = {
      {ZARVO_TOOL_EXE, "bench --process /nonexist --budget 100", 2,
       "zarvo bench: --process '/nonexist' is no executable file\n"},
      {ZARVO_TOOL_EXE, "bench --depth 11", 2, "the classic search goes at most to depth 9"},
      {ZARVO_TOOL_EXE, "bench --search deep --depth 41", 2,
       "the deep search goes at most to depth 40"},
      {ZARVO_TOOL_EXE, "bench --suite twice.txt", 1, "line 1: square 9,9 is played twice"},
      {ZARVO_TOOL_EXE, "show binary.txt", 1, "zarvo show: 'binary.txt' is no game record"},
#ifdef PBRAIN_EXE
      {PBRAIN_EXE, "--seed abc", 2, "bad --seed value 'abc'"},
#endif
  };
  for (const Case& c : cases) {
    const TRun run = RunIn(dir, c.Program, c.Arguments);
    SCOPED_TRACE(c.Arguments);
    EXPECT_EQ(run.Status, c.Status);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find(c.Says), run.Err.rfind(c.Says)) << run.Err;
    // A binary file is quoted escaped and cut: one short printable line.
    if (c.Status == 1) {
      EXPECT_LT(run.Err.size(), 200u) << run.Err;
      EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << run.Err;
      for (const char ch : run.Err) EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7f));
    }
  }
}

}  // namespace
}  // namespace zarvo
