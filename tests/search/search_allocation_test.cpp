// The search must not allocate per node: a warm search allocates nothing at all.
#include <gtest/gtest.h>

#include "search/threat_search.h"
#include "tests/allocation_counter.h"
#include "tests/search/search_fixture.h"

namespace zarvo {
namespace {

TEST(SearchAllocation, AWarmSearchAllocatesNothing) {
  testing::TSearchSetup setup("x 9,9 11,10 8,12 10,13 o 10,10 9,11 12,9 11,12", kStoneX, 5);
  TPosition& root = setup.Root();
  root.Margin = 2;
  TCandidateList candidates{};
  ScanCandidates(0, root, candidates);
  const auto search = [&] {
    setup.context->PlayedX[1] = candidates[0].X;
    setup.context->PlayedY[1] = candidates[0].Y;
    return ThreatSearch(setup.state, *setup.context, -49999, -49999);
  };
  search();  // grows the solver's position stack to what this search needs
  const long before = testing::AllocationCount();
  search();
  const long made = testing::AllocationCount() - before;
  EXPECT_GT(setup.state.Search.Nodes, 100u);
  EXPECT_EQ(made, 0);
}

}  // namespace
}  // namespace zarvo
