// The real zarvo program: `zarvo bench` on its built-in suite.
#include <gtest/gtest.h>

#include <string>

#include "tests/zarvo/run_tool.h"
#include "zarvo/bench_suite.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TRun;

// The search's signature: any change of what the search examines moves the node total.
TEST(BenchCommand, TheBuiltInSuiteKeepsTheSearchSignature) {
  const TRun run = RunTool({"bench"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  const auto at = run.Out.rfind("\nBench: ");
  ASSERT_NE(at, std::string::npos) << run.Out;
  const std::string total = run.Out.substr(at + 8, run.Out.find('\n', at + 1) - at - 8);
  EXPECT_EQ(total, std::to_string(tool::kBenchSignature)) << run.Out;
}

}  // namespace
}  // namespace zarvo
