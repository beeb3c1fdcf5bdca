// The real zarvo program: `zarvo bench` on its built-in suite.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Every way of running the bench uses some options only; one that the chosen run would ignore
// is refused with the reason, before anything runs.
TEST(BenchCommand, RefusesOptionsTheChosenRunWouldIgnore) {
  const std::string program = "/nonexistent/Zarvo2";  // refused before it is looked for
  const struct {
    std::vector<std::string> Args;
    const char* Error;
  } cases[] = {
      {{"bench", "--search", "deep", "--seed", "3"}, "--seed does not go with --search deep"},
      {{"bench", "--process", program, "--budget", "100", "--depth", "3"},
       "--depth does not go with --process"},
      {{"bench", "--process", program, "--budget", "100", "--seed", "3"},
       "--seed does not go with --process"},
      {{"bench", "--process", program, "--budget", "100", "--search", "deep"},
       "--search deep does not go with --process"},
      {{"bench", "--load", "1"}, "--load goes with --process"},
      {{"bench", "--generate", "1", "--suite", "suite.txt"}, "--suite does not go with --generate"},
      {{"bench", "--generate", "1", "--budget", "100"}, "--budget does not go with --generate"},
      {{"bench", "--generate", "1", "--search", "deep"},
       "--search deep does not go with --generate"},
      {{"bench", "--generate", "1", "--process", program, "--budget", "100"},
       "--generate and --process exclude each other"},
      {{"bench", "--generate", "0"}, "--generate must be at least 1"},
  };
  for (const auto& c : cases) {
    const TRun run = RunTool(c.Args);
    EXPECT_EQ(run.Status, 2) << c.Error;
    EXPECT_NE(run.Err.find(c.Error), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "") << c.Error;
  }
}

}  // namespace
}  // namespace zarvo
