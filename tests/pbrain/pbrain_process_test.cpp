// The real pbrain-zarvo2 process, fed scripted sessions on standard input as a manager would,
// and compared move for move with the real Zarvo2 on the same boards and seeds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/run_process.h"
#include "tests/test_support.h"

#ifdef PBRAIN_EXE

namespace zarvo {
namespace {

using testing::BoardText;
using testing::TStone;
using testing::TTempDir;

struct TBrainRun {
  int Status = -1;  // exit status; 124 when the process had to be stopped
  std::string Output;
  std::vector<std::string> Lines;
};

// Runs the brain in a fresh working directory with `input` as its standard input.
// The classic move choice unless the arguments say otherwise: most sessions here compare with
// Zarvo2 or rely on its answers.
TBrainRun RunBrain(const std::string& input, std::string_view arguments = "--classic --seed 7",
                   const std::vector<std::pair<std::string, std::string>>& environment = {}) {
  TTempDir dir;
  const testing::TRun process = testing::RunProcess({.Program = PBRAIN_EXE,
                                                     .Args = testing::ArgumentWords(arguments),
                                                     .WorkDir = dir.Path(),
                                                     .Input = input,
                                                     .Environment = environment});
  TBrainRun run;
  run.Status = process.TimedOut ? 124 : process.Status;
  run.Output = process.Out;
  std::istringstream out(process.Out);
  for (std::string line; std::getline(out, line);) run.Lines.push_back(line);
  return run;
}

// Answer patterns: "*" stands for any text; kMove for a square "x,y" on the board.
const char* const kMove = "<move>";
const char* const kError = "ERROR *";
const char* const kAbout = R"(name="Zarvo2", version="*", author="*", country="*")";

bool IsMove(const std::string& text) {
  int x = -1, y = -1, length = 0;
  return std::sscanf(text.c_str(), "%d,%d%n", &x, &y, &length) == 2 &&
         length == static_cast<int>(text.size()) &&
         text == std::to_string(x) + "," + std::to_string(y) && x >= 0 && x < 20 && y >= 0 &&
         y < 20;
}

bool Matches(std::string_view text, std::string_view pattern) {
  if (pattern == kMove) return IsMove(std::string(text));
  const std::size_t star = pattern.find('*');
  if (star == std::string_view::npos) return text == pattern;
  if (!text.starts_with(pattern.substr(0, star))) return false;
  text.remove_prefix(star);
  pattern.remove_prefix(star + 1);
  for (std::size_t skip = 0; skip <= text.size(); ++skip)
    if (Matches(text.substr(skip), pattern)) return true;
  return false;
}

// Lines joined with LF; each case says where it wants something else.
std::string Script(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string BoardCommand(std::initializer_list<std::string> stones) {
  std::string text = "BOARD\n";
  for (const std::string& stone : stones) text += stone + "\n";
  return text + "DONE";
}

TEST(PbrainProcess, ScriptedSessions) {
  struct Case {
    const char* What;
    std::string Input;
    std::vector<std::string> Expected;  // one pattern per answer line
  } const cases[] = {
      {"ABOUT and the board sizes",
       Script({"ABOUT", "START 20", "START 19", "START x", "START", "RECTSTART 20,20",
               "RECTSTART 20,19", "RECTSTART 20", "END"}),
       {kAbout, "OK", "ERROR only 20 x 20 boards are supported, not 19", kError, kError, "OK",
        kError, kError}},
      {"moves need a game, and a refused size leaves none",
       Script({"TURN 1,1", "BEGIN", "TAKEBACK 1,1", "RESTART", "BOARD", "1,1,1", "DONE", "START 20",
               "START 15", "TURN 1,1", "END"}),
       {kError, kError, kError, kError, "ERROR no game: START 20 first", "OK", kError, kError}},
      {"BEGIN, TURN and the bad squares",
       Script({"START 20", "INFO timeout_turn 300", "BEGIN", "TURN 9,9", "TURN 20,0", "TURN -1,3",
               "TURN 5", "TURN 99999999999999999999,1", "TURN 10,10", "BEGIN", "END"}),
       {"OK", "9,9", "ERROR square 9,9 is occupied", "ERROR 20,0 is off the 20 x 20 board", kError,
        kError, kError, kMove, kError}},
      {"BOARD: completes its own four",
       Script({"START 20", "INFO timeout_turn 1000",
               BoardCommand({"5,5,1", "6,5,1", "7,5,1", "8,5,1", "4,5,2", "12,12,2", "13,13,2"}),
               "END"}),
       {"OK", "9,5"}},
      {"BOARD: blocks the opponent's four; a marker and a junk line change nothing",
       Script({"START 20", "INFO timeout_turn 1000",
               BoardCommand({"5,5,2", "6,5,2", "7,5,2", "8,5,2", "13,13,2", "4,5,1", "12,12,1",
                             "0,19,1", "9,6,3", "9,5,x"}),
               "END"}),
       {"OK", "ERROR BOARD expects lines x,y,field and DONE, got '9,5,x'", "9,5"}},
      {"TAKEBACK and RESTART",
       Script({"START 20", "BEGIN", "TAKEBACK 9,9", "TAKEBACK 9,9", "TAKEBACK 30,1", "BEGIN",
               "RESTART", "BEGIN", "END"}),
       {"OK", "9,9", "OK", "ERROR no stone on 9,9", kError, "9,9", "OK", "9,9"}},
      {"INFO is never answered; a rule other than freestyle is told once",
       Script({"INFO timeout_turn 1000", "INFO timeout_match 100000", "INFO time_left 50000",
               "INFO max_memory 0", "INFO game_type 0", "INFO rule 1", "INFO rule 4",
               "INFO folder /tmp", "INFO evaluate 1,1", "START 20", "END"}),
       {"MESSAGE *freestyle*", "OK"}},
      {"PLAY makes the engine's move for it; SUGGEST names one and plays nothing",
       Script({"SUGGEST", "START 20", "INFO timeout_turn 300", "SUGGEST", "PLAY 9,9", "PLAY 9,9",
               "TURN 10,10", "SUGGEST", "SUGGEST 1", "PLAY 20,1", "PLAY x", "INFO evaluate 3,3",
               "TAKEBACK 9,9", "END"}),
       {kError, "OK", "SUGGEST 9,9", "9,9", "ERROR square 9,9 is occupied", kMove, "SUGGEST *,*",
        kError, "ERROR 20,1 is off the 20 x 20 board", kError, "OK"}},
      {"SWAP2BOARD: the opener's stones, a swap, two more stones, a move as white",
       Script({"START 20",   "INFO timeout_turn 300",
               "SWAP2BOARD", "DONE",
               "SWAP2BOARD", "9,9",
               "0,19",       "10,9",
               "DONE",       "SWAP2BOARD",
               "9,9",        "10,10",
               "12,7",       "DONE",
               "SWAP2BOARD", "0,19",
               "9,9",        "19,19",
               "10,9",       "19,0",
               "DONE",       "SWAP2BOARD",
               "1,1",        "DONE",
               "SWAP2BOARD", "1,1",
               "1,1",        "2,2",
               "3,3",        "DONE",
               "END"}),
       {"OK", "9,9 10,9 8,9", "SWAP", "*,* *,*", kMove,
        "ERROR SWAP2BOARD needs 0, 3 or 5 stones, not 1", "ERROR 1,1: the square was given before",
        "ERROR SWAP2BOARD: a stone line was refused, so nothing is played"}},
      {"case, CR LF, blanks and unknown commands",
       "start 20\r\n  about  \r\nFoo bar\r\n\r\nbegin\r\nEnd\r\n",
       {"OK", kAbout, "UNKNOWN Foo bar", "9,9"}},
      {"hostile bytes",
       std::string("TURN 1,\0"
                   "1\n",
                   10) +
           std::string(100'000, 'A') + "\n\xff\xfe\nABOUT\n",
       {"ERROR no game: START 20 first", "ERROR line too long*", "UNKNOWN ??", kAbout}},
      {"the longest line with either line end; its CR does not count toward the limit",
       "ABOUT" + std::string(4091, ' ') + "\r\nABOUT" + std::string(4091, ' ') + "\nABOUT" +
           std::string(4092, ' ') + "\r\nABOUT" + std::string(4091, ' ') + "\rx\n",
       {kAbout, kAbout, "ERROR line too long*", "ERROR line too long*"}},
      {"END ends at once", Script({"START 20", "END", "ABOUT", "BEGIN"}), {"OK"}},
      {"end of input ends too, even inside BOARD and without a last line end",
       "START 20\nABOUT\nBOARD\n1,1,1",
       {"OK", kAbout}},
  };
  for (const Case& c : cases) {
    const TBrainRun run = RunBrain(c.Input);
    EXPECT_EQ(run.Status, 0) << c.What;
    ASSERT_EQ(run.Lines.size(), c.Expected.size()) << c.What;
    for (std::size_t i = 0; i < run.Lines.size(); ++i)
      EXPECT_TRUE(Matches(run.Lines[i], c.Expected[i]))
          << c.What << ": line " << i << " '" << run.Lines[i] << "'";
  }
}

// END is heard while the engine thinks: the search stops at once, the move it has so far is
// answered, and the process ends, here long before the ten seconds of the turn.
// With more threads, every one of them stops.
TEST(PbrainProcess, EndWhileThinkingEndsAtOnce) {
  for (const char* arguments : {"", "--threads 2"}) {
    const auto start = std::chrono::steady_clock::now();
    const TBrainRun run =
        RunBrain("START 20\nINFO timeout_turn 10000\nTURN 10,10\nEND\n", arguments);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(run.Status, 0) << arguments;
    EXPECT_LT(seconds.count(), 5.0) << arguments;
    ASSERT_GE(run.Lines.size(), 2u) << run.Output;
    EXPECT_EQ(run.Lines.front(), "OK");
    EXPECT_TRUE(IsMove(run.Lines.back())) << run.Output;
  }
}

TEST(PbrainProcess, AnswersTheLastEmptySquaresOnly) {
  // 398 stones in stripes (no real game, plenty of fives): the two squares left are the answers.
  std::string input = "START 20\nINFO timeout_turn 500\nBOARD\n";
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 20; ++y)
      if (x != 19 || y < 18)
        input += std::to_string(x) + "," + std::to_string(y) + "," + (x % 2 ? "1" : "2") + "\n";
  input += "DONE\n";
  const TBrainRun first = RunBrain(input);
  ASSERT_EQ(first.Lines.size(), 2u);
  ASSERT_TRUE(first.Lines[1] == "19,18" || first.Lines[1] == "19,19") << first.Lines[1];
  const std::string other = first.Lines[1] == "19,18" ? "19,19" : "19,18";
  const TBrainRun full = RunBrain(input + "TURN " + other + "\nTURN 0,0\n");
  EXPECT_EQ(full.Status, 0);
  EXPECT_EQ(full.Lines,
            (std::vector<std::string>{"OK", first.Lines[1], "ERROR the board is full: no move left",
                                      "ERROR square 0,0 is occupied"}));
}

// A session of the classic choice, whose loss marker goes to "brain data", in a lost position
// with the engine second.
testing::TRun RunLostSession(const TTempDir& dir) {
  return testing::RunProcess(
      {.Program = PBRAIN_EXE,
       .Args = {"--classic", "--seed", "1"},
       .WorkDir = dir.Path(),
       .Input = Script(
           {"START 20", "INFO timeout_turn 300", "INFO folder brain data",
            BoardCommand({"5,5,2", "6,5,2", "7,5,2", "8,5,2", "0,19,1", "19,19,1", "19,0,1"}),
            "END"}),
       .TimeLimit = std::chrono::seconds(30)});
}

// A lost position with the engine second: the loss marker lands in the INFO folder (relative to
// the working directory), with the neighbours' value read from there, and nowhere else.
// The classic move choice writes the loss marker; the deep search keeps no such file.
TEST(PbrainProcess, LossMarkerGoesToTheInfoFolder) {
  TTempDir dir;
  std::filesystem::create_directories(dir / "brain data");
  dir.Write("brain data/DiDeRo.zrv", std::string("\x02\0\0\0", 4));
  const testing::TRun run = RunLostSession(dir);
  ASSERT_EQ(run.Status, 0);
  EXPECT_TRUE(run.Out.starts_with("OK\n"));
  EXPECT_EQ(dir.Read("brain data/DiDeRoLose.zrv"), std::string("\x02\0\0\0", 4));
  EXPECT_FALSE(dir.Exists("DiDeRoLose.zrv"));
}

// A pipe in the folder where the marker goes is skipped like any marker that cannot be written:
// the session answers and ends instead of waiting for a reader that never comes.
TEST(PbrainProcess, LossMarkerPipeIsSkipped) {
  TTempDir dir;
  std::filesystem::create_directories(dir / "brain data");
  ASSERT_EQ(::mkfifo((dir / "brain data/DiDeRoLose.zrv").c_str(), 0644), 0);
  const testing::TRun run = RunLostSession(dir);
  ASSERT_FALSE(run.TimedOut) << "the session did not end within 30 s";
  EXPECT_EQ(run.Status, 0);
  EXPECT_TRUE(run.Out.starts_with("OK\n")) << run.Out;
  EXPECT_EQ(run.Out.find('\n', 3), run.Out.size() - 1) << "one answer after OK: " << run.Out;
  EXPECT_EQ(std::filesystem::symlink_status(dir / "brain data/DiDeRoLose.zrv").type(),
            std::filesystem::file_type::fifo);
}

TEST(PbrainProcess, BadArgumentsStopBeforeTheProtocol) {
  for (const char* arguments : {"--seed", "--seed x", "--seed -1", "--seed 4294967296", "--fast",
                                "--threads", "--threads 0", "--threads two"})
    EXPECT_EQ(RunBrain("ABOUT\n", arguments).Status, 2) << arguments;
  EXPECT_EQ(RunBrain("ABOUT\n", "--seed 4294967295").Lines.size(), 1u);
}

// Zarvo2's answer in a working directory, with the seed given through ZARVO_SEED.
std::string RunZarvo2(char side, const std::vector<TStone>& stones, const std::string& timeOuts,
                      uint32_t seed) {
  TTempDir dir;
  dir.Write("Tah.dat", std::string(1, side));
  std::string board = BoardText({});
  for (const TStone& s : stones) board[s.Y * 22 + s.X] = s.Stone;  // rows of 20 plus CR LF
  dir.Write("Plocha.dat", board);
  dir.Write("TimeOuts.dat", timeOuts);
  EXPECT_EQ(testing::RunProcess({.Program = ZARVO2_EXE,
                                 .WorkDir = dir.Path(),
                                 .Environment = {{"ZARVO_SEED", std::to_string(seed)}}})
                .Status,
            0);
  std::string answer = dir.Read("Tah.dat");
  if (answer.ends_with("\r\n")) answer.resize(answer.size() - 2);
  return answer;
}

// Both programs, the same board, seed and budget (1999 ms: depth 5 with time to spare, so the
// clock never decides): the same move. The letter Zarvo2 plays is the one pbrain gives its own
// stones, so the BOARD fields follow from it.
TEST(PbrainProcess, SameMoveAsZarvo2ForTheSameBoardAndSeed) {
  struct Case {
    const char* What;
    char Engine;
    std::vector<TStone> Stones;
  } const cases[] = {
      {"first-stone rule", 'o', {{9, 9, 'x'}}},
      {"second-stone rule", 'x', {{9, 9, 'x'}, {10, 10, 'o'}}},
      {"opening, engine second",
       'o',
       {{9, 9, 'x'}, {10, 10, 'x'}, {8, 10, 'x'}, {10, 9, 'o'}, {9, 11, 'o'}}},
      {"middle game, engine first",
       'x',
       {{9, 9, 'x'},
        {10, 9, 'o'},
        {10, 10, 'x'},
        {8, 8, 'o'},
        {11, 11, 'x'},
        {12, 12, 'o'},
        {9, 11, 'x'},
        {8, 12, 'o'},
        {10, 12, 'x'},
        {11, 13, 'o'}}},
  };
  for (const Case& c : cases) {
    std::set<std::string> answers;
    for (uint32_t seed : {1u, 7u, 1000u, 31337u, 4000000000u}) {
      std::string input = "START 20\nINFO timeout_turn 1999\nBOARD\n";
      for (const TStone& s : c.Stones)
        input += std::to_string(s.X) + "," + std::to_string(s.Y) + "," +
                 (s.Stone == c.Engine ? "1" : "2") + "\n";
      input += "DONE\nEND\n";
      const TBrainRun brain = RunBrain(input, "--classic --seed " + std::to_string(seed));
      ASSERT_EQ(brain.Lines.size(), 2u) << c.What;
      const std::string file = RunZarvo2(c.Engine, c.Stones, "2\r\n5997\r\n", seed);
      EXPECT_EQ(brain.Lines[1], file) << c.What << ", seed " << seed;
      answers.insert(file);
    }
    if (c.Stones.size() == 1) {
      EXPECT_GT(answers.size(), 1u) << "the seed must matter here";
    }
  }

  // A board built by BEGIN and TURN, with the seed from the environment and no time limits.
  for (uint32_t seed : {2u, 99u}) {
    const TBrainRun brain = RunBrain("START 20\nBEGIN\nTURN 10,9\nEND\n", "--classic",
                                     {{"ZARVO_SEED", std::to_string(seed)}});
    ASSERT_EQ(brain.Status, 0);
    const std::string file = RunZarvo2('x', {{9, 9, 'x'}, {10, 9, 'o'}}, "", seed);
    EXPECT_EQ(brain.Output, "OK\n9,9\n" + file + "\n") << "seed " << seed;
  }
}

}  // namespace
}  // namespace zarvo

#endif  // PBRAIN_EXE
