// zarvo play as a person uses it: through a pseudo-terminal, typing moves and words at the
// prompt against the scripted engines, and the game saved as a record the other tools read.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "match/game_record.h"
#include "tests/match/scripted_engines.h"
#include "tests/run_process.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::TScriptedEngines;
using testing::TTempDir;

// zarvo running on a pseudo-terminal: what it shows is read from the terminal's other side,
// and lines are typed into it.
class TTerminal {
 public:
  explicit TTerminal(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(ZARVO_TOOL_EXE)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_ = ::forkpty(&fd_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      ::execv(ZARVO_TOOL_EXE, argv.data());
      ::_exit(127);
    }
  }
  ~TTerminal() {
    if (pid_ > 0 && status_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) ::close(fd_);
  }
  TTerminal(const TTerminal&) = delete;
  TTerminal& operator=(const TTerminal&) = delete;

  bool Started() const { return pid_ > 0; }

  // Reads until `text` has appeared since the last call (true) or 20 s passed (false); what was
  // read is in Screen().
  bool WaitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
      if (const auto at = unread_.find(text); at != std::string::npos) {
        screen_ = unread_.substr(0, at + text.size());
        unread_.erase(0, at + text.size());
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) break;
      pollfd wait{fd_, POLLIN, 0};
      if (::poll(&wait, 1, static_cast<int>(left)) <= 0) continue;
      char chunk[4096];
      const ssize_t got = ::read(fd_, chunk, sizeof chunk);
      if (got <= 0) break;  // the program ended and the terminal closed
      unread_.append(chunk, static_cast<std::size_t>(got));
    }
    screen_ = unread_;
    return false;
  }
  const std::string& Screen() const { return screen_; }

  void Type(const std::string& line) {
    const std::string keys = line + "\r";  // Enter on a terminal
    EXPECT_EQ(::write(fd_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  int ExitStatus() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  int status_ = -1;
  std::string unread_, screen_;
};

// The character shown for square (x, y) in the last board on the screen: a row is its number
// in three characters, then three characters a square.
char BoardCell(const std::string& screen, int x, int y) {
  std::string row = std::to_string(y);
  row = "\r\n" + std::string(3 - row.size(), ' ') + row;
  const auto at = screen.rfind(row);
  const auto cell = at + row.size() + 3 * static_cast<std::size_t>(x) + 2;
  return at == std::string::npos || cell >= screen.size() ? '?' : screen[cell];
}

std::optional<match::TGameRecord> ReadRecord(const std::string& path) {
  std::ifstream in(path);
  std::string error;
  auto record = match::ParseRecord(in, error);
  EXPECT_TRUE(record) << error;
  return record;
}

// A game typed move by move: the board after each move, a taken square and junk refused at the
// prompt, undo back to the start, resign; the record holds the moves that stand.
TEST(PlayCommand, PersonPlaysUndoesAndResigns) {
  const TScriptedEngines engines;
  const TTempDir dir;
  const std::string record = (dir / "game.txt").string();
  TTerminal terminal({"play", engines.Entry("pipe-legal"), "--move-time", "500", "--tolerance",
                      "3000", "--record", record});
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Your move (x, stone 1): ")) << terminal.Screen();
  // The empty board with its coordinates.
  EXPECT_NE(terminal.Screen().find("     0  1  2  3"), std::string::npos) << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("\r\n 19  .  .  ."), std::string::npos) << terminal.Screen();

  terminal.Type("9,9");
  ASSERT_TRUE(terminal.WaitFor("Your move (x, stone 3): ")) << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("Engine plays "), std::string::npos) << terminal.Screen();
  // The person's stone, and the engine's answer, the last stone, in upper case.
  EXPECT_EQ(BoardCell(terminal.Screen(), 9, 9), 'x') << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("  O"), std::string::npos) << terminal.Screen();
  EXPECT_EQ(BoardCell(terminal.Screen(), 0, 0), '.');

  terminal.Type("9 9");
  ASSERT_TRUE(terminal.WaitFor("9,9 is taken")) << terminal.Screen();
  terminal.Type("banana");
  ASSERT_TRUE(terminal.WaitFor("'banana' is no square")) << terminal.Screen();
  terminal.Type("undo");
  ASSERT_TRUE(terminal.WaitFor("Your move (x, stone 1): ")) << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("Taken back."), std::string::npos);
  EXPECT_EQ(BoardCell(terminal.Screen(), 9, 9), '.') << terminal.Screen();
  terminal.Type("undo");
  ASSERT_TRUE(terminal.WaitFor("Nothing to take back.")) << terminal.Screen();

  terminal.Type("10,10");
  ASSERT_TRUE(terminal.WaitFor("Your move (x, stone 3): ")) << terminal.Screen();
  terminal.Type("resign");
  ASSERT_TRUE(terminal.WaitFor("Game saved to " + record)) << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("o wins (resigned"), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.ExitStatus(), 0);

  const auto game = ReadRecord(record);
  ASSERT_TRUE(game);
  EXPECT_EQ(game->XEngine, "human");
  ASSERT_EQ(game->Moves.size(), 2u);
  EXPECT_EQ(game->Moves[0].Square, (TSquare{10, 10}));
  EXPECT_EQ(game->Reason, match::TEndReason::Resigned);
  EXPECT_EQ(testing::RunTool({"show", record}).Status, 0);
  EXPECT_EQ(testing::RunTool({"match", "--replay", record}).Status, 0);
}

// Under renju the person as x is refused a three-three (in the corner, away from the scripted
// engine's stones near the middle), told why, and the record says renju.
TEST(PlayCommand, RenjuRefusesXsForbiddenSquare) {
  const TScriptedEngines engines;
  const TTempDir dir;
  const std::string record = (dir / "game.txt").string();
  TTerminal terminal({"play", engines.Entry("pipe-legal"), "--renju", "--move-time", "500",
                      "--tolerance", "3000", "--record", record});
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor(" on 20 x 20, renju.")) << terminal.Screen();
  int stone = 1;
  for (const char* move : {"16,18", "17,18", "18,16", "18,17"}) {
    ASSERT_TRUE(terminal.WaitFor("Your move (x, stone " + std::to_string(stone) + "): "))
        << terminal.Screen();
    terminal.Type(move);
    stone += 2;
  }
  ASSERT_TRUE(terminal.WaitFor("Your move (x, stone 9): ")) << terminal.Screen();
  terminal.Type("18,18");
  ASSERT_TRUE(
      terminal.WaitFor("18,18 is forbidden to x under renju (three-three); choose "
                       "another square."))
      << terminal.Screen();
  terminal.Type("resign");
  ASSERT_TRUE(terminal.WaitFor("Game saved to " + record)) << terminal.Screen();
  EXPECT_EQ(terminal.ExitStatus(), 0);
  const auto game = ReadRecord(record);
  ASSERT_TRUE(game);
  EXPECT_TRUE(game->Renju);
  EXPECT_EQ(game->Moves.size(), 8u);
}

// Playing o against a move-file engine that fails: the person wins by the engine's fault.
TEST(PlayCommand, EngineThatFailsLoses) {
  const TScriptedEngines engines;
  const TTempDir dir;
  const std::string record = (dir / "game.txt").string();
  TTerminal terminal({"play", engines.Entry("file-garbage"), "--colour", "o", "--move-time", "500",
                      "--tolerance", "3000", "--record", record});
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Your move (o, stone 2): ")) << terminal.Screen();
  terminal.Type("0,0");
  ASSERT_TRUE(terminal.WaitFor("Your move (o, stone 4): ")) << terminal.Screen();
  terminal.Type("0,1");
  // With two stones of its own the engine answers garbage.
  ASSERT_TRUE(terminal.WaitFor("Game saved to")) << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("o wins (bad answer"), std::string::npos) << terminal.Screen();
  EXPECT_NE(terminal.Screen().find("You win!"), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.ExitStatus(), 0);
  const auto game = ReadRecord(record);
  ASSERT_TRUE(game);
  EXPECT_EQ(game->OEngine, "human");
  EXPECT_EQ(game->Moves.size(), 4u);
}

#if defined(ZARVO2_EXE) && defined(PBRAIN_EXE)
// An engine that ends before its first move (a move-file program named as a brain, a brain
// refusing its arguments) played no game: no win for the person, nothing saved, and a word on
// what to write instead when the program looks like a move-file one.
TEST(PlayCommand, AnEngineThatNeverMovedIsNoGame) {
  const TTempDir dir;
  const struct {
    std::string Engine;
    bool FileHint;
  } cases[] = {
      {"pipe:" ZARVO2_EXE, true},
      {"pipe:" PBRAIN_EXE " --no-such-option", false},
  };
  for (const auto& c : cases) {
    const testing::TRun run =
        testing::RunProcess({.Program = ZARVO_TOOL_EXE,
                             .Args = {"play", c.Engine, "--record", (dir / "game.txt").string()},
                             .Input = "9,9\n"});
    EXPECT_EQ(run.Status, 1) << c.Engine;
    EXPECT_EQ(run.Out.find("You win"), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("Game over"), std::string::npos) << run.Out;
    EXPECT_NE(run.Err.find("the engine never made a move ("), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("name it file:" ZARVO2_EXE) != std::string::npos, c.FileHint) << run.Err;
    EXPECT_FALSE(dir.Exists("game.txt"));  // not even an empty file
  }
  // An engine that cannot be started at all leaves nothing either, and an earlier record as it was.
  const testing::TRun run =
      testing::RunProcess({.Program = ZARVO_TOOL_EXE,
                           .Args = {"play", "pipe:" + (dir / "no-such-engine").string(), "--record",
                                    (dir / "game.txt").string()}});
  EXPECT_EQ(run.Status, 2) << run.Err;
  EXPECT_FALSE(dir.Exists("game.txt"));
  dir.Write("old.txt", "an earlier game\n");
  testing::RunProcess({.Program = ZARVO_TOOL_EXE,
                       .Args = {"play", "pipe:" ZARVO2_EXE, "--record", (dir / "old.txt").string()},
                       .Input = "9,9\n"});
  EXPECT_EQ(dir.Read("old.txt"), "an earlier game\n");
}

// On a 15 x 15 board under exactly five against the deep search: the board drawn that size, a
// square beyond it refused, a hint, the engine's score and line after its move, and a record
// that says the game.
TEST(PlayCommand, HintsShowsTheEnginesViewAndKeepsTheBoardAndRule) {
  const TTempDir dir;
  const std::string record = (dir / "game.txt").string();
  const testing::TRun run = testing::RunProcess(
      {.Program = ZARVO_TOOL_EXE,
       .Args = {"play", "pipe:" PBRAIN_EXE, "--board", "15", "--exact-five", "--move-time", "200",
                "--tolerance", "3000", "--record", record},
       .Input = "15,0\n7,7\nhint\nresign\n"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find(" on 15 x 15, exactly five."), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("\n 14  .  ."), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.find("\n 15  ."), std::string::npos) << run.Out;
  EXPECT_TRUE(std::regex_search(
      run.Out, std::regex("\nHint: best \\d+,\\d+ for x: score -?\\d+ at depth \\d+, nodes \\d+, "
                          "\\d+ ms\nLine:( \\d+,\\d+)+\n")))
      << run.Out;
  EXPECT_NE(run.Out.find("15,0 is off the board; X and Y go from 0 to 14."), std::string::npos)
      << run.Out;
  EXPECT_TRUE(std::regex_search(
      run.Out,
      std::regex("\nEngine's view: score -?\\d+ for o at depth \\d+; line( \\d+,\\d+)+\n")))
      << run.Out;
  const auto game = ReadRecord(record);
  ASSERT_TRUE(game);
  EXPECT_EQ(game->BoardSize, 15);
  EXPECT_TRUE(game->ExactlyFive);
  EXPECT_EQ(game->Moves.at(0).Square, (TSquare{7, 7}));
}
#endif

}  // namespace
}  // namespace zarvo
