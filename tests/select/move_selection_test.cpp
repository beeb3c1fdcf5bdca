#include "select/move_selection.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "board/pattern_tables.h"
#include "book/book_builder.h"
#include "driver/move_files.h"
#include "tests/search/search_fixture.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::TTempDir;

// One engine move on a board given as stones ("x 9,9 o 10,10"), read through the board reader
// as the engine reads "Plocha.dat", with a fixed seed and a fixed depth.
struct TPlayed {
  TSquare Move;
  TEngineState State;
  TPosition Position{};
};

TPlayed Play(const std::string& stones, uint8_t side, uint32_t seed, int maxDepth = 3,
             const std::filesystem::path& workDir = {},
             const std::string& bookBase = "/nonexistent/zarvo-test") {
  BuildPairClass();
  TPosition scratch{};
  InitPosition(scratch);
  TSideMaps sides;
  sides.OwnStone = kStoneX;
  SetSideMaps(sides);
  testing::PlaceStones(sides, stones, scratch);
  std::ostringstream text;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) text << ".xo"[scratch.Cell(x, y).Stone];
    text << "\n";
  }
  std::istringstream in(text.str());

  TPlayed played;
  played.State.WorkDir = workDir;
  played.State.ExeBaseName = bookBase;  // by default no book
  played.State.Rng.Seed(seed);
  played.State.MaxDepth = maxDepth;
  InitPosition(played.Position);
  LoadBoard(played.State, side, ReadBoardText(in), played.Position);
  played.Move = FindMove(played.State, played.Position);
  return played;
}

std::pair<int, int> At(const TSquare& move) {
  return {move.X, move.Y};
}

TEST(MoveSelection, EmptyBoardAndFirstStone) {
  EXPECT_EQ(At(Play("", kStoneX, 1).Move), std::pair(9, 9));
  EXPECT_EQ(At(Play("x 1,10", kStoneO, 1).Move), std::pair(9, 9));   // near the edge
  EXPECT_EQ(At(Play("x 15,4", kStoneO, 1).Move), std::pair(14, 5));  // one line nearer the centre
  std::set<std::pair<int, int>> answers;
  for (uint32_t seed = 1; seed <= 200; ++seed)
    answers.insert(At(Play("x 9,9", kStoneO, seed).Move));
  const std::set<std::pair<int, int>> neighbours{{8, 8},  {9, 8},  {10, 8}, {8, 9},
                                                 {10, 9}, {8, 10}, {9, 10}, {10, 10}};
  EXPECT_EQ(answers, neighbours);
}

TEST(MoveSelection, SecondStoneAgainstADiagonalReply) {
  // The squares the diagonal test accepts against a reply at (10, 10).
  const std::set<std::pair<int, int>> accepted{{10, 8}, {8, 10}, {8, 8}, {8, 9}, {9, 8}};
  std::set<std::pair<int, int>> answers;
  for (uint32_t seed = 1; seed <= 100; ++seed)
    answers.insert(At(Play("x 9,9 o 10,10", kStoneX, seed).Move));
  EXPECT_EQ(answers, accepted);
}

TEST(MoveSelection, SecondStoneWithoutOwnCentreStoneAnswersAnEmptySquareNearTheCentre) {
  for (const char* stones : {"o 9,9 x 10,10", "x 8,8 o 9,9", "x 9,10 o 10,9"}) {
    for (uint32_t seed = 1; seed <= 30; ++seed) {
      const TPlayed played = Play(stones, kStoneX, seed);
      const TCell& cell = played.Position.Cell(played.Move.X, played.Move.Y);
      EXPECT_EQ(cell.Stone, kEmpty) << stones;
      EXPECT_LE(std::abs(played.Move.X - 9) + std::abs(played.Move.Y - 9), 4) << stones;
    }
  }
}

TEST(MoveSelection, ImmediateCases) {
  struct Case {
    const char* What;
    const char* Stones;
    uint8_t Side;
    std::set<std::pair<int, int>> Allowed;
  } const cases[] = {
      {"own four completed", "x 5,5 6,5 7,5 8,5 o 4,5 12,12 13,13 14,14", kStoneX, {{9, 5}}},
      {"own open three made an open four",
       "x 5,5 6,5 7,5 o 12,12 13,13",
       kStoneX,
       {{4, 5}, {8, 5}}},
      {"the single five-square blocked", "o 5,5 6,5 7,5 8,5 x 4,5 12,12 13,13", kStoneX, {{9, 5}}},
      {"a win by continuous fours",
       "x 5,5 6,5 7,5 8,6 8,7 8,8 o 4,5 8,9 15,15 16,14 14,16",
       kStoneX,
       {{8, 5}}},
  };
  for (const Case& c : cases) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
      const TPlayed played = Play(c.Stones, c.Side, seed);
      EXPECT_TRUE(c.Allowed.contains(At(played.Move)))
          << c.What << ": " << int(played.Move.X) << "," << int(played.Move.Y);
    }
  }
}

TEST(MoveSelection, LostPositionIsReportedAndPlaysACorner) {
  TTempDir dir;
  // The opponent has two five-squares; seven stones, so the engine is the second player.
  const TPlayed played = Play("o 5,5 6,5 7,5 8,5 x 12,12 13,13 14,15", kStoneX, 7, 3, dir.Path());
  const std::set<std::pair<int, int>> corners{{0, 0}, {0, 19}, {19, 0}, {19, 19}};
  EXPECT_TRUE(corners.contains(At(played.Move)));
  EXPECT_TRUE(played.State.GameLost);
  EXPECT_FALSE(dir.Exists("DiDeRoLose.zrv"));  // the driver leaves the marker, not the search
  // One five-square is blocked, nothing is lost.
  EXPECT_FALSE(Play("o 5,5 6,5 7,5 x 4,5 12,12 13,13", kStoneX, 7).State.GameLost);

  // All corners taken: the first empty square.
  const TPlayed full =
      Play("o 5,5 6,5 7,5 8,5 0,0 0,19 x 19,0 19,19 12,12", kStoneX, 7, 3, dir.Path());
  EXPECT_EQ(At(full.Move), std::pair(0, 1));
}

// A quiet position and a book that knows it with a forced reply the search would never choose:
// the engine plays the reply up to fifteen stones and searches from sixteen on.
TEST(MoveSelection, TheBookDecidesUpToFifteenStonesOnly) {
  const std::vector<TSquare> moves{{9, 9},  {10, 10}, {11, 9}, {10, 8},  {2, 2},  {17, 17},
                                   {2, 17}, {17, 2},  {4, 2},  {15, 17}, {2, 15}, {17, 4},
                                   {6, 2},  {13, 17}, {2, 13}, {17, 6}};
  const TSquare reply{12, 14};
  for (const std::size_t count : {15u, 16u}) {
    std::string stones;
    for (std::size_t k = 0; k < count; ++k)
      stones += (k % 2 == 0 ? " x " : " o ") + std::to_string(moves[k].X) + "," +
                std::to_string(moves[k].Y);
    TTempDir dir;
    TBookBuilder builder;
    const TBookPosition known{{moves.begin(), moves.begin() + count}, reply, 10, 0};
    ASSERT_FALSE(builder.Add(known).has_value());
    const int parity = static_cast<int>(count % 2);
    dir.Write(parity == 0 ? "Zarvo.ob1" : "Zarvo.ob2", builder.Encode(parity));

    const uint8_t side = count % 2 == 0 ? kStoneX : kStoneO;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
      const TPlayed answer = Play(stones, side, seed, 3, dir.Path(), "Zarvo");
      ASSERT_EQ(answer.State.StoneCount, static_cast<int32_t>(count));
      EXPECT_EQ(At(answer.Move) == std::pair(reply.X, reply.Y), count <= 15)
          << count << " stones, seed " << seed;
    }
  }
}

TEST(MoveSelection, TwoStonesOutsideTheCentralBlockGoToTheGeneralCase) {
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    const TPlayed played = Play("x 3,3 o 4,4", kStoneX, seed);
    EXPECT_EQ(played.Position.Cell(played.Move.X, played.Move.Y).Stone, kEmpty);
    // Searched near the stones, not drawn near the centre.
    EXPECT_LE(std::max(std::abs(played.Move.X - 4), std::abs(played.Move.Y - 4)), 3);
  }
}

TEST(MoveSelection, ExactTiesAreDrawnWithEqualChance) {
  // Symmetric under the swap of X and Y and under the half turn: tied squares come in orbits.
  std::map<std::pair<int, int>, int> counts;
  constexpr int kRuns = 400;
  for (uint32_t seed = 1; seed <= kRuns; ++seed)
    ++counts[At(Play("x 9,9 10,10 o 9,10 10,9", kStoneX, seed, 1).Move)];
  ASSERT_GE(counts.size(), 2u);
  for (const auto& [square, count] : counts) {
    EXPECT_NEAR(count, kRuns / static_cast<int>(counts.size()), kRuns / 8)
        << square.first << "," << square.second;
    // Every answer's mirror image is an answer too.
    EXPECT_TRUE(counts.contains({square.second, square.first}));
  }
}

}  // namespace
}  // namespace zarvo
