// Making book entries from games: the normalized form the matcher finds, the split into the
// two files, merging of repeated positions, and the positions that cannot be entries.
#include "book/book_builder.h"

#include <gtest/gtest.h>

#include "book/book_probe.h"
#include "testing/book_test_support.h"

namespace zarvo {
namespace {

TEST(BookBuilder, LoneCentreStoneGivesTheCentreStoneBook) {
  TBookBuilder builder;
  ASSERT_FALSE(builder.Add({{{9, 9}}, {8, 9}, 10, 1}));
  EXPECT_EQ(builder.Encode(1), testing::CentreStoneBook());
  EXPECT_EQ(builder.Encode(0), std::string(4, '\0'));  // an empty .ob1
}

TEST(BookBuilder, EntriesAreFramedWithTheSideToMoveAsOwn) {
  // x (1,2), o (3,3), x (2,5): o to move, so o's stone is own.
  const auto entry = MakeBookEntry({{{1, 2}, {3, 3}, {2, 5}}, {0, 4}, 6, 2});
  EXPECT_EQ(entry->StoneTotal, 3);
  ASSERT_EQ(entry->OwnMoves.Count(), 1);
  EXPECT_EQ(entry->OwnMoves.Get(0), (TOCoord{3, 3}));
  ASSERT_EQ(entry->OppMoves.Count(), 2);
  EXPECT_EQ(entry->OppMoves.Get(0), (TOCoord{2, 5}));  // CompareCoords order: X descending
  EXPECT_EQ(entry->OppMoves.Get(1), (TOCoord{1, 2}));
  EXPECT_EQ(entry->ExtentX, 10);  // 3 + 7, origin 0
  EXPECT_EQ(entry->ExtentY, 12);
  EXPECT_EQ(entry->ReplyX, 0);
  EXPECT_EQ(entry->ReplyY, 4);

  // Far from the edges the frame starts 7 before the stones.
  const auto middle = MakeBookEntry({{{12, 10}, {13, 11}}, {14, 12}, 1, 1});
  EXPECT_EQ(middle->OwnMoves.Get(0), (TOCoord{7, 7}));
  EXPECT_EQ(middle->OppMoves.Get(0), (TOCoord{8, 8}));
  EXPECT_EQ(middle->ReplyX, 9);
  EXPECT_EQ(middle->ExtentX, 19 - 5);
  EXPECT_EQ(middle->ExtentY, 18 - 3);
}

TEST(BookBuilder, RepeatedPositionsMergeTheirCounters) {
  TBookBuilder builder;
  // One position reached in two move orders, with one reply: one entry.
  ASSERT_FALSE(builder.Add({{{9, 9}, {10, 10}, {8, 10}}, {9, 11}, 3, 1}));
  ASSERT_FALSE(builder.Add({{{8, 10}, {10, 10}, {9, 9}}, {9, 11}, 4, 4294967295u}));
  // Another reply of the same position: its own entry.
  ASSERT_FALSE(builder.Add({{{9, 9}, {10, 10}, {8, 10}}, {7, 11}, 1, 1}));
  ASSERT_EQ(builder.Book(1).Count(), 2);
  EXPECT_EQ(builder.MergedCount(), 1);
  for (int32_t i = 0; i < 2; ++i) {
    const TOpenning& e = builder.Book(1).Get(i);
    if (e.PlusCount == 1) continue;
    EXPECT_EQ(e.PlusCount, 7u);
    EXPECT_EQ(e.MinusCount, 4294967295u);  // saturated
  }
  EXPECT_GT(CompareOpenings(builder.Book(1).Get(1), builder.Book(1).Get(0)), 0);
  EXPECT_EQ(SaturatingAdd(4294967295u, 1), 4294967295u);
  EXPECT_EQ(SaturatingAdd(1, 2), 3u);
}

TEST(BookBuilder, RejectsPositionsThatCannotBeEntries) {
  std::vector<TSquare> tooMany;
  for (int i = 0; i < 128; ++i) tooMany.push_back({i % 20, i / 20});
  const TBookPosition cases[] = {
      {{}, {9, 9}, 1, 1},                                           // empty board
      {{{20, 3}}, {9, 9}, 1, 1},                                    // off the board
      {{{3, -1}}, {9, 9}, 1, 1}, {{{3, 3}, {3, 3}}, {9, 9}, 1, 1},  // a square played twice
      {{{3, 3}}, {3, 3}, 1, 1},                                     // reply on a stone
      {{{3, 3}}, {3, 20}, 1, 1},                                    // reply off the board
      {tooMany, {19, 19}, 1, 1},
  };
  for (const TBookPosition& position : cases) {
    TBookBuilder builder;
    const auto problem = builder.Add(position);
    ASSERT_TRUE(problem.has_value());
    EXPECT_FALSE(problem->empty());
    EXPECT_EQ(builder.Book(0).Count() + builder.Book(1).Count(), 0);
  }
}

}  // namespace
}  // namespace zarvo
