// The window frame, the eight symmetries and FindMatches: a book entry made for one orientation
// of a position is found in every turned and mirrored copy, near edges too, with its reply on
// the right real square.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "book/book_builder.h"
#include "book/book_probe.h"
#include "book/opennings.h"
#include "testing/book_test_support.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

using testing::Entry;
using testing::Query;

TEST(BookSymmetry, NormalizeFramesTheStonesWithinSevenSquares) {
  struct Case {
    TOCoord Stone;
    int OriginX, OriginY, ExtentX, ExtentY;
    TOCoord Framed;
  } const cases[] = {
      {{9, 9}, 2, 2, 14, 14, {7, 7}},
      {{2, 3}, 0, 0, 9, 10, {2, 3}},
      {{18, 18}, 11, 11, 8, 8, {7, 7}},
      {{0, 19}, 0, 12, 7, 7, {0, 7}},
  };
  for (const Case& c : cases) {
    auto position = Query({c.Stone}, {});
    position->ReplyX = static_cast<int8_t>(c.Stone.X + 1);
    position->ReplyY = c.Stone.Y;
    int8_t originX, originY;
    position->GetOrigin(originX, originY);
    EXPECT_EQ(originX, c.OriginX);
    EXPECT_EQ(originY, c.OriginY);
    position->Normalize();
    EXPECT_EQ(position->OriginX, c.OriginX);
    EXPECT_EQ(position->OriginY, c.OriginY);
    EXPECT_EQ(position->ExtentX, c.ExtentX);
    EXPECT_EQ(position->ExtentY, c.ExtentY);
    EXPECT_EQ(position->OwnMoves.Get(0), c.Framed);
    EXPECT_EQ(position->ReplyX, c.Framed.X + 1);  // the reply moves with the stones
    EXPECT_EQ(position->StoneTotal, 1);
  }
}

TEST(BookSymmetry, TablesMapAsTheirNetMapsAndUndoEachOther) {
  // Net map of SymmetryTransforms[k - 1] with the extents before the transform.
  auto net = [](int k, int x, int y, int ex, int ey) -> std::pair<int, int> {
    switch (k) {
      case 1:
        return {x, y};
      case 2:
        return {ex - x, y};
      case 3:
        return {ey - y, x};
      case 4:
        return {ey - y, ex - x};
      case 5:
        return {ex - x, ey - y};
      case 6:
        return {x, ey - y};
      case 7:
        return {y, ex - x};
      default:
        return {y, x};
    }
  };
  for (int k = 1; k <= 8; ++k) {
    for (auto [x, y, ex, ey] :
         {std::array{3, 5, 9, 14}, std::array{0, 0, 7, 19}, std::array{12, 2, 14, 11}}) {
      int tx = x, ty = y, tex = ex, tey = ey;
      ApplyTransform(SymmetryTransforms[k - 1], tx, ty, tex, tey);
      EXPECT_EQ(std::make_pair(tx, ty), net(k, x, y, ex, ey)) << "k " << k;
      const bool quarter = k == 3 || k == 4 || k == 7 || k == 8;
      EXPECT_EQ(std::make_pair(tex, tey),
                quarter ? std::make_pair(ey, ex) : std::make_pair(ex, ey));
      ApplyTransform(InverseSymmetryTransforms[k - 1], tx, ty, tex, tey);
      EXPECT_EQ(std::make_tuple(tx, ty, tex, tey), std::make_tuple(x, y, ex, ey)) << "k " << k;
    }
  }
}

TEST(BookSymmetry, LoneCentreStoneMatchesEightTimes) {
  testing::TTempDir dir;
  dir.Write("Zarvo.ob2", testing::CentreStoneBook());
  TOpenning_Book book;
  book.FileName = (dir / "Zarvo.ob2").string();
  ASSERT_TRUE(book.LoadFromFile());
  const auto query = Query({}, {{9, 9}});
  std::vector<TOResObj> results;
  std::vector<int> symmetries;
  EXPECT_TRUE(book.FindMatches(
      results, *query, [&](int k, const TOpenning&, const TOResObj&) { symmetries.push_back(k); }));
  const std::vector<TOResObj> expected{{8, 9, 10, 1},  {10, 9, 10, 1}, {9, 10, 10, 1},
                                       {9, 10, 10, 1}, {10, 9, 10, 1}, {8, 9, 10, 1},
                                       {9, 8, 10, 1},  {9, 8, 10, 1}};
  EXPECT_EQ(results, expected);
  EXPECT_EQ(symmetries, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  // The book entry is as it was stored, the book ordered by position.
  ASSERT_EQ(book.Count(), 1);
  EXPECT_EQ(book.Get(0).ReplyX, 6);
  EXPECT_EQ(book.Get(0).ReplyY, 7);
  EXPECT_EQ(book.Get(0).OppMoves.Get(0), (TOCoord{7, 7}));
  EXPECT_EQ(book.SortCompare(), &ComparePositions);
}

TEST(BookSymmetry, MirroredPositionNearTheEdgeComesBackMirrored) {
  // Stored for stones at X 2..4 (Y 9) with the reply at window X 5; the board has them at 15..17.
  TOpenning_Book book;
  book.Add(Entry({{3, 7}}, {{4, 7}, {2, 7}}, 11, 14, {5, 7}, 3, 1));
  book.SetSorted(false);
  book.SetSorted(true);
  const auto query = Query({{16, 9}}, {{15, 9}, {17, 9}});
  std::vector<TOResObj> results;
  std::vector<int> symmetries;
  EXPECT_TRUE(book.FindMatches(
      results, *query, [&](int k, const TOpenning&, const TOResObj&) { symmetries.push_back(k); }));
  ASSERT_EQ(symmetries.size(), results.size());
  bool sawMirror = false;
  for (size_t i = 0; i < results.size(); ++i) {
    if (symmetries[i] != 2) continue;
    sawMirror = true;
    EXPECT_EQ(results[i], (TOResObj{14, 9, 3, 1}));
  }
  EXPECT_TRUE(sawMirror);
}

TEST(BookSymmetry, EmptyBookAndSeveralRepliesOfOnePosition) {
  TOpenning_Book empty;
  std::vector<TOResObj> results;
  EXPECT_FALSE(empty.FindMatches(results, *Query({{3, 3}}, {{4, 4}})));
  EXPECT_TRUE(results.empty());

  // Two replies of one position both answer, each with its own counters, and the book keeps
  // both entries unchanged.
  TBookBuilder builder;
  const std::vector<TSquare> moves{{3, 4}, {5, 5}, {4, 6}, {6, 2}};
  ASSERT_FALSE(builder.Add({moves, {5, 5 + 1}, 4, 2}));
  ASSERT_FALSE(builder.Add({moves, {6, 6}, 7, 3}));
  TOpenning_Book book;
  for (int32_t i = 0; i < builder.Book(0).Count(); ++i) book.Add(builder.Book(0).Get(i).Clone());
  const TSideMaps sides = testing::SidesToMove(moves.size());
  const auto query = BookQuery(testing::BoardAfter(moves), sides);
  EXPECT_TRUE(book.FindMatches(results, *query));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(std::set({std::make_pair(results[0].X, results[0].Y),
                      std::make_pair(results[1].X, results[1].Y)}),
            (std::set<std::pair<int8_t, int8_t>>{{5, 6}, {6, 6}}));
  ASSERT_EQ(book.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(CompareOpenings(book.Get(i), builder.Book(0).Get(i)) == 0 ||
                  CompareOpenings(book.Get(i), builder.Book(0).Get(1 - i)) == 0,
              true);
  }
}

// Random asymmetric clusters of stones, placed anywhere from the corners to the middle: the
// entry made for one orientation answers every one of the eight turned boards with exactly the
// turned reply.
TEST(BookSymmetry, EveryOrientationFindsTheReplyOnItsRealSquare) {
  std::mt19937 rng(2024);
  int checked = 0;
  for (int round = 0; round < 60; ++round) {
    // A game of 2..9 moves in a 5 x 5 patch, placed so that edge distances 0..9 all occur.
    const int count = 2 + static_cast<int>(rng() % 8);
    const int left = static_cast<int>(rng() % 16), top = static_cast<int>(rng() % 16);
    std::set<std::pair<int, int>> used;
    TBookPosition position;
    while (static_cast<int>(position.Moves.size()) < count) {
      const int x = left + static_cast<int>(rng() % 5), y = top + static_cast<int>(rng() % 5);
      if (used.insert({x, y}).second) position.Moves.push_back({x, y});
    }
    do {
      position.Reply = {left - 1 + static_cast<int>(rng() % 7),
                        top - 1 + static_cast<int>(rng() % 7)};
    } while (!OnBoard(position.Reply.X, position.Reply.Y) ||
             used.contains({position.Reply.X, position.Reply.Y}));
    position.PlusCount = static_cast<uint32_t>(round);
    position.MinusCount = 1;

    TOpenning_Book book;
    book.Add(MakeBookEntry(position));
    const TSideMaps sides = testing::SidesToMove(position.Moves.size());
    for (int s = 0; s < 8; ++s) {
      const TBookPosition turned = testing::TurnBoard(s, position);
      const auto query = BookQuery(testing::BoardAfter(turned.Moves), sides);
      std::vector<TOResObj> results;
      ASSERT_TRUE(book.FindMatches(results, *query)) << "round " << round << " turn " << s;
      // A cluster that happens to be symmetric in its window answers once per symmetry; each
      // answer is then the reply turned by one of them.
      bool exact = false;
      for (const TOResObj& r : results) {
        EXPECT_TRUE(OnBoard(r.X, r.Y));
        exact = exact || (r.X == turned.Reply.X && r.Y == turned.Reply.Y);
      }
      EXPECT_TRUE(exact) << "round " << round << " turn " << s;
      if (results.size() == 1) ++checked;
    }
  }
  EXPECT_GT(checked, 400);  // nearly all clusters are asymmetric and answer exactly once
}

}  // namespace
}  // namespace zarvo
