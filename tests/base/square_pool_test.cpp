#include "base/square_pool.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace zarvo {
namespace {

// Lists compare squares by identity, so every square must have exactly one object, and it must
// name that square.
TEST(TXYLookup, GivesEachSquareOneObjectThatNamesIt) {
  const TSquarePool pool;
  std::set<const TSquare*> distinct;
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const TSquare* item = TXYLookup(pool, x, y);
      ASSERT_EQ(item, TXYLookup(pool, x, y));
      ASSERT_TRUE(item->X == x && item->Y == y) << x << "," << y;
      distinct.insert(item);
    }
  }
  EXPECT_EQ(distinct.size(), TSquarePool::Count());
}

TEST(TXYLookup, AnIndexOutsideThePoolThrows) {
  const TSquarePool pool;
  for (auto [x, y] : {std::pair{20, 0}, {19, 20}, {-1, 0}, {0, -1}, {127, 127}, {-128, 5}})
    EXPECT_THROW(TXYLookup(pool, x, y), std::out_of_range) << x << "," << y;
}

}  // namespace
}  // namespace zarvo
