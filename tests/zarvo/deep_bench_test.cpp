// The deep search's benchmark signature: the alpha-beta node total of the built-in suite at its
// depth. A change to the deep search's behaviour moves it; such a change updates
// kDeepBenchSignature in the same commit and says why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/zarvo/run_tool.h"
#include "zarvo/deep_bench.h"

namespace zarvo {
namespace {

TEST(DeepBench, TheBuiltInSuiteKeepsItsSignature) {
  const testing::TRun run = testing::RunTool({"bench", "--search", "deep"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::size_t at = run.Out.rfind("Bench: ");
  ASSERT_NE(at, std::string::npos) << run.Out;
  EXPECT_EQ(std::stoull(run.Out.substr(at + 7)), tool::kDeepBenchSignature);
  EXPECT_NE(run.Out.find("depth: " + std::to_string(tool::kDeepBenchDepth)), std::string::npos);
  // The signature is the alpha-beta search's; the solvers' nodes are counted apart.
  const std::size_t solver = run.Out.find("\nsolver nodes: ");
  ASSERT_NE(solver, std::string::npos) << run.Out;
  EXPECT_GT(std::stoull(run.Out.substr(solver + 15)), 0u);
}

TEST(DeepBench, RefusesAnUnknownSearchAndABudgetItWouldIgnore) {
  const struct {
    std::vector<std::string> Args;
    const char* Error;
  } cases[] = {
      {{"bench", "--search", "fast"}, "'fast'"},
      {{"bench", "--search", "deep", "--budget", "100"}, "--budget does not go with --search deep"},
  };
  for (const auto& c : cases) {
    const testing::TRun run = testing::RunTool(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Error;
    EXPECT_NE(run.Err.find(c.Error), std::string::npos) << run.Err;
  }
}

}  // namespace
}  // namespace zarvo
