// The engine re-sorts the book with ranks instead of full sorts; on random books full of
// repeated positions, symmetric queries and malformed entries it must give the results of the
// plain procedure in the same order, and leave the book in the same order for the next lookup.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "book/book_builder.h"
#include "book/book_probe.h"
#include "testing/book_test_support.h"
#include "testing/literal_find_matches.h"
#include "tests/test_support.h"

namespace zarvo {
namespace {

// A small game in one of a few corners and middles of the board, so positions repeat often.
TBookPosition RandomPosition(std::mt19937& rng) {
  static constexpr int kBases[] = {0, 1, 7, 8, 15, 16};
  const int count = 1 + static_cast<int>(rng() % 4);
  const int left = kBases[rng() % 6], top = kBases[rng() % 6];
  TBookPosition position;
  std::set<std::pair<int, int>> used;
  while (static_cast<int>(position.Moves.size()) < count) {
    const int x = left + static_cast<int>(rng() % 3), y = top + static_cast<int>(rng() % 3);
    if (used.insert({x, y}).second) position.Moves.push_back({x, y});
  }
  do {
    position.Reply = {left + static_cast<int>(rng() % 4), top + static_cast<int>(rng() % 4)};
  } while (used.contains({position.Reply.X, position.Reply.Y}));
  position.PlusCount = rng() % 50;
  position.MinusCount = rng() % 5;
  return position;
}

std::vector<std::unique_ptr<TOpenning>> RandomBook(std::mt19937& rng, bool withOddEntries) {
  std::vector<std::unique_ptr<TOpenning>> entries;
  const int count = 20 + static_cast<int>(rng() % 400);
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<TOpenning> entry = MakeBookEntry(RandomPosition(rng));
    if (i > 0 && rng() % 4 == 0) {  // the same position and reply again, other counters
      entry = entries[rng() % entries.size()]->Clone();
      entry->PlusCount = rng() % 50;
    }
    if (withOddEntries && rng() % 10 == 0) {
      // Lists whose lengths do not add up to the stored total: orderings are then no longer
      // total preorders and the engine must fall back to plain sorts.
      entry->OwnMoves.Add({static_cast<int8_t>(rng() % 20), static_cast<int8_t>(rng() % 20)});
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> Order(const TOpenning_Book& book) {
  std::vector<std::string> order;
  for (int32_t i = 0; i < book.Count(); ++i) {
    std::vector<const TOpenning*> one{&book.Get(i)};
    order.push_back(EncodeBookFile(one));
  }
  return order;
}

TEST(BookMatchingReference, RankedResortsGiveThePlainProceduresResults) {
  std::mt19937 rng(31337);
  testing::TTempDir dir;
  int matched = 0;
  for (int round = 0; round < 60; ++round) {
    dir.Write("book.ob1", testing::EncodeEntries(RandomBook(rng, round % 3 == 2)));
    TOpenning_Book fast, literal;
    fast.FileName = literal.FileName = (dir / "book.ob1").string();
    fast.LoadFromFile();
    testing::LiteralLoad(literal);
    ASSERT_EQ(Order(fast), Order(literal)) << "round " << round;
    // Several lookups on the same book: each starts from the order the last one left.
    for (int q = 0; q < 12; ++q) {
      TBookPosition position = RandomPosition(rng);
      if (q == 0) position.Moves = {{9, 9}};  // symmetric in its window: matches up to 8 times
      if (q == 1) position.Moves = {{8, 8}, {10, 10}};
      const TSideMaps sides = testing::SidesToMove(position.Moves.size());
      const auto query = BookQuery(testing::BoardAfter(position.Moves), sides);
      std::vector<TOResObj> fastResults, literalResults;
      const bool fastFound = fast.FindMatches(fastResults, *query);
      const bool literalFound = testing::LiteralFindMatches(literal, literalResults, *query);
      ASSERT_EQ(fastFound, literalFound) << "round " << round << " query " << q;
      ASSERT_EQ(fastResults, literalResults) << "round " << round << " query " << q;
      ASSERT_EQ(Order(fast), Order(literal)) << "round " << round << " query " << q;
      matched += fastResults.size() > 1;
    }
  }
  EXPECT_GT(matched, 100);  // the comparison saw many lookups with several results
}

}  // namespace
}  // namespace zarvo
