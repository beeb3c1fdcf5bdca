#include "base/square_pool.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace zarvo {
namespace {

TEST(TXYLookup, GivesTheOneSharedObjectOfEachSquareInCreationOrder) {
  const TSquarePool pool;
  std::set<const TSquare*> distinct;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const TSquare* item = TXYLookup(pool, x, y);
      ASSERT_EQ(item, TXYLookup(pool, x, y));  // identity comparison works
      ASSERT_EQ(item, pool[static_cast<std::size_t>(x * kBoardSize + y)]);
      ASSERT_TRUE(item->X == x && item->Y == y) << x << "," << y;
      distinct.insert(item);
    }
  }
  EXPECT_EQ(distinct.size(), TSquarePool::Count());
  EXPECT_EQ(TXYLookup(pool, 0, 0), pool[0]);      // the first created
  EXPECT_EQ(TXYLookup(pool, 19, 19), pool[399]);  // the last
  EXPECT_EQ(TXYLookup(pool, 1, 0), pool[20]);     // the 21st
}

TEST(TXYLookup, AnIndexOutsideThePoolThrows) {
  const TSquarePool pool;
  for (auto [x, y] : {std::pair{20, 0}, {19, 20}, {-1, 0}, {0, -1}, {127, 127}, {-128, 5}})
    EXPECT_THROW(TXYLookup(pool, x, y), std::out_of_range) << x << "," << y;
}

}  // namespace
}  // namespace zarvo
