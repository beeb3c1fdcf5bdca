// The deep search on positions with known answers, within its limits, and without heap
// allocation per node.
#include "deep/deep_search.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "tests/allocation_counter.h"
#include "tests/deep/deep_test_support.h"

namespace zarvo::deep {
namespace {

using testing::BoardOf;
using testing::Puzzles;
using testing::Unhurried;

TEST(DeepSearch, FindsTheOnlyDefenceAgainstAContinuousFour) {
  const auto puzzles = Puzzles("save");
  ASSERT_GE(puzzles.size(), 4u);
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  for (const auto& puzzle : puzzles) {
    auto board = std::make_unique<TDeepBoard>(puzzle.Board());
    // The defence is found before the search, which must keep to it.
    const TSearchResult result = search->Think(*board, Unhurried(2));
    EXPECT_EQ(result.Move, SquareAt(puzzle.MoveX, puzzle.MoveY)) << puzzle.Name();
  }
}

TEST(DeepSearch, KeepsAFourThatAnswersAThreatWithItsOwnAttack) {
  // o threatens a continuous four; x's four at 8,7 leads a winning attack of its own, though
  // o's threat is still there after the block. The root's defences must not drop it.
  TDeepBoard board = BoardOf({".", ".", ".", ".", ".", ".", ".........x", "......x..xx",
                              "......o.oox", "......o.o", "......o....x"},
                             'x');
  TSearchLimits limits = Unhurried(10);
  limits.RootSolvers = false;
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  const TSearchResult result = search->Think(board, limits);
  EXPECT_EQ(result.Move, SquareAt(8, 7)) << result.Reason << " " << result.Score;
  EXPECT_GT(result.Score, kWinBound);
}

TEST(DeepSearch, PlaysForcedWinsFoundAtTheRoot) {
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  for (const char* kind : {"vcf", "vct"}) {
    for (const auto& puzzle : Puzzles(kind)) {
      auto board = std::make_unique<TDeepBoard>(puzzle.Board());
      TSearchLimits limits = Unhurried(2);
      limits.RootVctNodes = 1'000'000;
      const TSearchResult result = search->Think(*board, limits);
      EXPECT_GT(result.Score, kWinBound) << puzzle.Name() << ": " << result.Reason;
      EXPECT_TRUE(board->IsEmpty(result.Move));
    }
  }
}

// tests/deep/root_wins.txt: the opponent threatens a forced win, so a defence would be the
// answer, but the side to move wins first. Its own win must be played (the listed move or one
// after which the solver proves the opponent lost) and reported as a win.
TEST(DeepSearch, PlaysItsOwnFasterWinAgainstAThreat) {
  std::ifstream in(ZARVO_SOURCE_DIR "/tests/deep/root_wins.txt");
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  TThreatSolver solver;
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.starts_with("#")) continue;
    ++cases;
    auto board = std::make_unique<TDeepBoard>(kMaxBoardSize, kMaxBoardSize, TRule::Freestyle);
    std::istringstream fields(line);
    std::string word;
    while (fields >> word && word != "->") {
      int x = -1, y = -1;
      ASSERT_EQ(std::sscanf(word.c_str(), "%d,%d", &x, &y), 2) << line;
      board->Move(SquareAt(x, y));
    }
    std::string side, win, ownKind, threat;
    fields >> side >> win >> ownKind >> threat;
    ASSERT_EQ(side, board->SideToMove() == 0 ? "x" : "o") << line;
    int winX = -1, winY = -1;
    ASSERT_EQ(std::sscanf(win.c_str(), "%d,%d", &winX, &winY), 2) << line;

    // The threat is real: with the opponent to move, its solver wins.
    board->SetSideToMove(Opponent(board->SideToMove()));
    const bool threatened = threat == "vcf" ? solver.FindVcf(*board, 30, 1'000'000) != kNoSquare
                                            : solver.FindVct(*board, 5, 1'000'000) != kNoSquare;
    board->SetSideToMove(Opponent(board->SideToMove()));
    EXPECT_TRUE(threatened) << line;

    TSearchLimits limits = Unhurried(6);
    limits.RootVctNodes = 3'000'000;
    limits.MaxNodes = 2'000'000;
    const TSearchResult result = search->Think(*board, limits);
    EXPECT_GT(PliesToFive(result.Score), 0) << line << ": " << result.Reason;
    if (result.Move != SquareAt(winX, winY)) {
      board->Move(result.Move);
      EXPECT_TRUE(solver.DefenderLoses(*board, 15, 5'000'000))
          << line << ": played " << SquareX(result.Move) << "," << SquareY(result.Move);
      board->Undo();
    }
  }
  EXPECT_GE(cases, 10);
}

TEST(DeepSearch, TheSearchAloneSeesShortContinuousFours) {
  // Without the root solvers: the alpha-beta search and its leaves must find the win.
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  for (const auto& puzzle : Puzzles("vcf")) {
    if (puzzle.Number > 4) continue;
    auto board = std::make_unique<TDeepBoard>(puzzle.Board());
    TSearchLimits limits;
    limits.SoftMs = limits.HardMs = int64_t{1} << 40;
    limits.MaxDepth = 4;
    limits.RootSolvers = false;
    EXPECT_GT(search->Think(*board, limits).Score, kWinBound) << puzzle.Name();
  }
}

TEST(DeepSearch, RulesDecideBeforeAnySearch) {
  struct Case {
    const char* What;
    std::initializer_list<std::string_view> Rows;
    char ToMove;
    int X, Y;
  } const cases[] = {
      {"its own five first", {".", "oxxxx", "#oooo"}, 'x', 5, 1},
      {"the block of the opponent's four", {".", "oxxxx", ".ooo"}, 'o', 5, 1},
      {"an open four", {".", "o.xxx", ".", "..oo.o"}, 'x', 5, 1},
  };
  auto search = std::make_unique<TDeepSearch>(std::size_t{1} << 20);
  for (const Case& c : cases) {
    TDeepBoard board = BoardOf(c.Rows, c.ToMove);
    const TSearchResult result = search->Think(board, Unhurried(4));
    EXPECT_EQ(result.Move, SquareAt(c.X, c.Y)) << c.What << ": " << result.Reason;
  }
  TDeepBoard empty(15, 15, TRule::Freestyle);
  EXPECT_EQ(search->Think(empty, Unhurried(4)).Move, SquareAt(7, 7));
}

TEST(DeepSearch, AnswersAnEmptySquareWhateverTheBoard) {
  auto search = std::make_unique<TDeepSearch>(std::size_t{1} << 20);
  // A board with one empty square left, and a board where both sides already have fives.
  auto full = std::make_unique<TDeepBoard>(15, 15, TRule::Freestyle);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x)
      if (x != 14 || y != 14) full->Place(SquareAt(x, y), ((x + 2 * y) / 2 + y) % 2);
  EXPECT_EQ(search->Think(*full, Unhurried(4)).Move, SquareAt(14, 14));
  TDeepBoard fives = BoardOf({"xxxxx", "ooooo"}, 'x');
  EXPECT_TRUE(fives.IsEmpty(search->Think(fives, Unhurried(4)).Move));
}

TEST(DeepSearch, StopsAtItsHardLimit) {
  // A quiet middle game with no forced win: the search would go on for a long time.
  TDeepBoard board = BoardOf(
      {".", ".", ".", ".", ".", ".", ".", ".", "........ox", ".........x", "..........o"}, 'x');
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  TSearchLimits limits;
  limits.SoftMs = 200;
  limits.HardMs = 200;
  const TSearchResult result = search->Think(board, limits);
  const auto elapsed = std::chrono::steady_clock::now() - limits.Start;
  // Generous: a busy machine or a sanitizer build is slow, but never by whole seconds.
  EXPECT_LT(elapsed, std::chrono::milliseconds(200 + 1500));
  EXPECT_GE(result.Depth, 1);
  EXPECT_TRUE(board.IsEmpty(result.Move));
}

TEST(DeepSearch, AllocatesNothingPerNode) {
  TDeepBoard board = BoardOf(
      {".", ".", ".", ".", ".", ".", ".", ".", "........ox", ".........x", "..........o"}, 'x');
  auto search = std::make_unique<TDeepSearch>(std::size_t{4} << 20);
  TSearchLimits limits;
  limits.SoftMs = limits.HardMs = int64_t{1} << 40;
  limits.MaxDepth = 10;
  const long before = zarvo::testing::AllocationCount();
  const TSearchResult result = search->Think(board, limits);
  const long allocations = zarvo::testing::AllocationCount() - before;
  EXPECT_GT(result.Nodes(), 10'000);
  // The principal variation of each iteration is copied out; nothing else.
  EXPECT_LE(allocations, 2 * limits.MaxDepth + 4) << result.Nodes() << " nodes";
}

// Helper threads share the table: the answers stay sound (the forced defence, the proven win,
// a legal move at the hard limit and at once when told to stop), and going back to one thread
// gives the very search one thread always gave.
TEST(DeepSearch, MoreThreadsSearchTogetherAndOneStaysRepeatable) {
  auto search = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  search->SetThreads(2);
  ASSERT_EQ(search->Threads(), 2);
  for (const auto& puzzle : Puzzles("save")) {
    auto board = std::make_unique<TDeepBoard>(puzzle.Board());
    EXPECT_EQ(search->Think(*board, Unhurried(2)).Move, SquareAt(puzzle.MoveX, puzzle.MoveY))
        << puzzle.Name();
  }
  TDeepBoard attack = BoardOf({".", ".", ".", ".", ".", ".", ".........x", "......x..xx",
                               "......o.oox", "......o.o", "......o....x"},
                              'x');
  // One thread proves the win at depth 10; two, whose table entries come in a different order,
  // may need a ply or two more.
  TSearchLimits noSolvers = Unhurried(14);
  noSolvers.RootSolvers = false;
  const TSearchResult won = search->Think(attack, noSolvers);
  EXPECT_EQ(won.Move, SquareAt(8, 7));
  EXPECT_GT(won.Score, kWinBound) << won.Depth << " " << won.Reason;

  TDeepBoard quiet = BoardOf(
      {".", ".", ".", ".", ".", ".", ".", ".", "........ox", ".........x", "..........o"}, 'x');
  for (const bool told : {false, true}) {
    std::atomic<bool> stop = told;
    TSearchLimits limits;
    limits.SoftMs = limits.HardMs = told ? int64_t{1} << 40 : 200;
    limits.Stop = &stop;
    const TSearchResult result = search->Think(quiet, limits);
    EXPECT_LT(std::chrono::steady_clock::now() - limits.Start, std::chrono::milliseconds(1700));
    EXPECT_TRUE(quiet.IsEmpty(result.Move)) << told;
  }

  search->SetThreads(1);
  search->Clear();
  auto fresh = std::make_unique<TDeepSearch>(std::size_t{16} << 20);
  const TSearchResult again = search->Think(quiet, Unhurried(7));
  const TSearchResult alone = fresh->Think(quiet, Unhurried(7));
  EXPECT_EQ(again.SearchNodes, alone.SearchNodes);
  EXPECT_EQ(again.Move, alone.Move);
}

}  // namespace
}  // namespace zarvo::deep

namespace zarvo::deep {
namespace {

// Positions where the rule decides: under exactly five an overline neither wins nor threatens.
TEST(DeepSearch, TheRuleDecidesWhatAFiveIs) {
  struct Case {
    const char* What;
    std::initializer_list<std::string_view> Rows;
    TRule Rule;
    std::initializer_list<std::pair<int, int>> Allowed;
  } const cases[] = {
      {"six in a row wins in freestyle", {".", "xxxx.x", ".", "oooo"}, TRule::Freestyle, {{4, 1}}},
      {"six in a row is no win under exactly five: block the four",
       {".", "xxxx.x", ".", "oooo"},
       TRule::ExactlyFive,
       {{4, 3}}},
      {"a gap that would make six must be blocked in freestyle",
       {".", ".", ".", "oo.ooo", ".", ".", "..xxx"},
       TRule::Freestyle,
       {{2, 3}}},
      {"under exactly five it is no threat: the open four wins",
       {".", ".", ".", "oo.ooo", ".", ".", "..xxx"},
       TRule::ExactlyFive,
       {{1, 6}, {5, 6}}},
  };
  auto deep = std::make_unique<TDeepSearch>(std::size_t{1} << 20);
  for (const Case& c : cases) {
    TDeepBoard board = testing::BoardOf(c.Rows, 'x', 15, c.Rule);
    TSearchLimits limits;
    limits.SoftMs = limits.HardMs = int64_t{1} << 40;
    limits.MaxDepth = 4;
    const TSquareIndex move = deep->Think(board, limits).Move;
    bool allowed = false;
    for (const auto& [x, y] : c.Allowed) allowed = allowed || move == SquareAt(x, y);
    EXPECT_TRUE(allowed) << c.What << ": " << SquareX(move) << "," << SquareY(move);
  }
}

}  // namespace
}  // namespace zarvo::deep
