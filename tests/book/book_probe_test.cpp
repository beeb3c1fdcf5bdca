// The book probe: which book it reads, the threshold draw, the averaging towards V, the scaling
// and forcing of book replies, and malformed books that must not reach squares off the board.
#include "book/book_probe.h"

#include <gtest/gtest.h>

#include <random>

#include "testing/book_test_support.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::TTempDir;

TEST(BookProbe, ParityChoosesTheBookAndTheThresholdRange) {
  EXPECT_EQ(BookFileName("Zarvo", 4), "Zarvo.ob1");
  EXPECT_EQ(BookFileName("/opt/zarvo-1", 3), "/opt/zarvo-1.ob2");

  EXPECT_EQ(BookPathFor("books/Zarvo", "", 3), "books/Zarvo.ob2");  // the working directory
  EXPECT_EQ(BookPathFor("books/Zarvo", "/games/dir", 3), "/games/dir/books/Zarvo.ob2");
  EXPECT_EQ(BookPathFor("/abs/Zarvo", "/games/dir", 3), "/abs/Zarvo.ob2");

  struct Case {
    int32_t StoneCount, Low, High;
  } const cases[] = {{4, 9, 18}, {3, 3, 12}, {1, 1, 10}, {14, 19, 28}};
  for (const Case& c : cases) {
    TRandom rng(777);
    int32_t low = 1000, high = -1000;
    for (int i = 0; i < 500; ++i) {
      const int32_t t = DrawForceThreshold(rng, c.StoneCount);
      low = std::min(low, t);
      high = std::max(high, t);
    }
    EXPECT_EQ(low, c.Low) << c.StoneCount;
    EXPECT_EQ(high, c.High) << c.StoneCount;
  }
}

TEST(BookProbe, AveragesPositiveScoresOfEmptySquaresTowardsV) {
  TTempDir dir;  // no book at all
  const std::vector<TSquare> moves{{9, 9}};
  for (auto [v, before, after] : {std::array{100, 41, 70}, std::array{100, 0, 0},
                                  std::array{-50, 11, -19}, std::array{100, -5, -5}}) {
    TPosition position = testing::BoardAfter(moves, before);
    position.Cell(9, 9).Value[0] = 77;  // a stone is never averaged, whatever it scores
    EXPECT_FALSE(
        ProbeBookFile((dir / "none.ob2").string(), testing::SidesToMove(1), 5, position, v));
    EXPECT_EQ(position.Cell(3, 4).Value[0], after) << v << " " << before;
    EXPECT_EQ(position.Cell(9, 9).Value[0], 77);
  }
}

TEST(BookProbe, RepliesAreForcedOrScaledByTheirCounters) {
  struct Case {
    const char* Name;
    uint32_t Plus, Minus;
    int32_t Threshold, Before, After;
  } const cases[] = {
      {"no MinusCount", 0, 0, 1, 5, 20000},
      {"no MinusCount, score 0", 1000, 0, 30, 0, 20000},
      {"ratio 15 above 14", 30, 2, 14, 30, 20000},
      {"ratio 15 not above 15", 30, 2, 15, 30, 310},
      {"scaled from 0 stays 0", 2, 1, 5, 0, 0},
      {"scaled down", 1, 3, 5, 100, 50},
      {"occupied or written off", 9, 0, 5, -1, -1},
      {"M + 1 does not wrap", 4, 4294967295u, 5, 1 << 30, 1},
      {"P + 1 wraps as the counters do", 4294967295u, 4294967295u, 5, 1000, 0},
      {"the low 32 bits are kept", 3, 1, 5, 2000000000, static_cast<int32_t>(4000000000u)},
  };
  for (const Case& c : cases) {
    TPosition position = testing::BoardAfter({});
    position.Cell(4, 5).Value[0] = c.Before;
    ApplyBookResult({4, 5, c.Plus, c.Minus}, c.Threshold, position);
    EXPECT_EQ(position.Cell(4, 5).Value[0], c.After) << c.Name;
  }

  // Two results on one square compound: 100 * 3 / 2 = 150, then 225.
  TPosition position = testing::BoardAfter({});
  position.Cell(4, 5).Value[0] = 100;
  ApplyBookResult({4, 5, 2, 1}, 5, position);
  ApplyBookResult({4, 5, 2, 1}, 5, position);
  EXPECT_EQ(position.Cell(4, 5).Value[0], 225);

  // Squares off the board are never touched, not even the border cells of the record.
  const TPosition before = position;
  for (TOResObj result : {TOResObj{-1, 5, 1, 0}, TOResObj{20, 0, 1, 0}, TOResObj{3, -128, 1, 0},
                          TOResObj{127, 127, 1, 0}}) {
    ApplyBookResult(result, 5, position);
  }
  EXPECT_TRUE(testing::SameCells(before, position));
}

TEST(BookProbe, CentreStoneBookForcesOrScalesTheFourSquaresTwice) {
  TTempDir dir;
  dir.Write("Zarvo.ob2", testing::CentreStoneBook());
  const std::vector<TSquare> moves{{9, 9}};  // the opponent's stone; o to move
  const TSquare replies[] = {{8, 9}, {10, 9}, {9, 10}, {9, 8}};
  for (int32_t threshold : {1, 9, 10}) {
    TPosition position = testing::BoardAfter(moves, 40);
    EXPECT_TRUE(ProbeBookFile((dir / "Zarvo.ob2").string(), testing::SidesToMove(1), threshold,
                              position, 40));
    for (const TSquare& square : replies) {
      EXPECT_EQ(position.Cell(square.X, square.Y).Value[0],
                threshold < 10 ? 20000 : 40 * 11 / 2 * 11 / 2)
          << threshold;
    }
    EXPECT_EQ(position.Cell(8, 8).Value[0], 40);
  }

  // Every reply on an occupied square: nothing changes, and still the book knew the position.
  TOpenning_Book book;
  book.Add(testing::Entry({}, {{7, 7}}, 14, 14, {7, 7}, 10, 0));  // the reply is the stone
  std::vector<const TOpenning*> entries{&book.Get(0)};
  dir.Write("Occupied.ob2", EncodeBookFile(entries));
  TPosition position = testing::BoardAfter(moves, 40);
  EXPECT_TRUE(
      ProbeBookFile((dir / "Occupied.ob2").string(), testing::SidesToMove(1), 5, position, 40));
  EXPECT_EQ(position.Cell(9, 9).Value[0], -10000);
}

TEST(BookProbe, DrawsOnEveryCallAndSkipsTheBookWithoutASide) {
  TTempDir dir;
  dir.Write("Zarvo.ob2", testing::CentreStoneBook());
  const std::string oddBook = BookPathFor("Zarvo", dir.Path(), 1);
  for (uint8_t own : {kStoneO, kEmpty}) {
    TSideMaps sides;
    sides.OwnStone = own;
    SetSideMaps(sides);
    TRandom rng(99);
    TRandom expected(99);
    expected.Random(10);
    TPosition position = testing::BoardAfter({{9, 9}}, 40);
    const TPosition before = position;
    EXPECT_EQ(BookProbe(sides, 1, rng, oddBook, position, 100), own == kStoneO);
    EXPECT_EQ(rng.State(), expected.State());  // exactly one draw
    if (own == kStoneO) {
      EXPECT_GE(position.Cell(8, 9).Value[0], 70);
    } else {
      EXPECT_TRUE(testing::SameCells(before, position));  // no score changes
    }
  }
  // Without a book the draw still happens.
  TSideMaps sides;
  sides.OwnStone = kStoneX;
  SetSideMaps(sides);
  TRandom rng;
  const uint32_t seed = rng.State();
  TPosition position = testing::BoardAfter({{9, 9}, {9, 10}}, 40);
  EXPECT_FALSE(BookProbe(sides, 2, rng, BookPathFor("Zarvo", dir.Path(), 2), position, 100));
  EXPECT_NE(rng.State(), seed);
}

// Books whose entries are not in normalized form, or hold junk coordinates, can name any square;
// nothing off the board changes and the border cells stay as they were.
TEST(BookProbe, MalformedBooksNeverReachSquaresOffTheBoard) {
  std::mt19937 rng(7);
  TTempDir dir;
  for (int round = 0; round < 40; ++round) {
    std::string bytes;
    const uint32_t n = 1 + rng() % 30;
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(n >> (8 * i)));
    for (uint32_t e = 0; e < n; ++e) {
      // A single stone at window (7, 7), the lone centre stone's frame, with any reply and
      // extents, so that the entries do match.
      const char head[] = {static_cast<char>(rng()), static_cast<char>(rng()), 1,
                           static_cast<char>(rng()), static_cast<char>(rng())};
      bytes.append(head, sizeof head);
      bytes.append(std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8));
      bytes.append(std::string("\x00\x00\x00\x00\x01\x00\x00\x00\x07\x07", 10));
    }
    if (round % 2 == 1) bytes.resize(bytes.size() - rng() % 20);  // and cut short
    dir.Write("Zarvo.ob2", bytes);
    TPosition position = testing::BoardAfter({{9, 9}}, 10);
    const TPosition before = position;
    ProbeBookFile((dir / "Zarvo.ob2").string(), testing::SidesToMove(1), 5, position, 10);
    EXPECT_TRUE(testing::SameCells(before, position, false)) << "round " << round;
    for (int x = 0; x < 20; ++x) {
      for (int y = 0; y < 20; ++y) {
        const int32_t score = position.Cell(x, y).Value[0];
        if (position.Cell(x, y).Stone == kEmpty) {
          EXPECT_TRUE(score == 10 || score == 20000);
        }
      }
    }
  }
}

}  // namespace
}  // namespace zarvo
