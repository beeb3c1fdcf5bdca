// zarvo bench --search deep --depth-profile with small limits: a row per built-in position,
// the medians, and the same figures every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <string>

#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"
#include "zarvo/depth_suite.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TRun;

TEST(DepthProfile, SmallLimitsGiveARowPerPositionTheMediansAndTheSameRowsAgain) {
  const std::vector<std::string> args = {"bench", "--search", "deep", "--depth-profile", "--nodes",
                                         "3000",  "--depth",  "4",    "--cap",           "30000"};
  const TRun first = RunTool(args);
  ASSERT_EQ(first.Status, 0) << first.Err;
  int positions = 0;
  std::istringstream suite{std::string(tool::kDepthSuite)};
  for (std::string line; std::getline(suite, line);) positions += !line.empty() && line[0] != '#';
  ASSERT_GE(positions, 12);
  EXPECT_NE(first.Out.find("\npositions: " + std::to_string(positions) + " ("), std::string::npos)
      << first.Out;
  std::ostringstream lastRow;
  lastRow << '\n' << std::setw(4) << positions << ' ';
  EXPECT_NE(first.Out.find(lastRow.str()), std::string::npos) << first.Out;
  EXPECT_NE(first.Out.find("\nmedian depth within 3000 nodes: "), std::string::npos) << first.Out;
  EXPECT_NE(first.Out.find("\nmedian nodes to depth 4: "), std::string::npos) << first.Out;
  EXPECT_EQ(first.Out.find("none"), std::string::npos) << first.Out;

  // Again, over the first two positions from a file: the same rows.
  const testing::TTempDir dir;
  std::istringstream again{std::string(tool::kDepthSuite)};
  std::string two, line;
  while (std::count(two.begin(), two.end(), '\n') < 2 && std::getline(again, line))
    if (!line.empty() && line[0] != '#') two += line + '\n';
  dir.Write("two.txt", two);
  std::vector<std::string> twoArgs = args;
  twoArgs.insert(twoArgs.end(), {"--suite", (dir / "two.txt").string()});
  const TRun second = RunTool(twoArgs);
  ASSERT_EQ(second.Status, 0) << second.Err;
  const std::size_t rows = first.Out.find("\n   3 ");
  ASSERT_NE(rows, std::string::npos) << first.Out;
  EXPECT_TRUE(second.Out.starts_with(first.Out.substr(0, rows + 1))) << second.Out;
}

TEST(DepthProfile, RefusesLimitsWithoutTheProfile) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"bench", "--depth-profile"},
        {"bench", "--search", "deep", "--nodes", "1000"},
        {"bench", "--search", "deep", "--depth-profile", "--cap", "0"}}) {
    const TRun run = RunTool(args);
    EXPECT_EQ(run.Status, 2) << args.back();
    EXPECT_EQ(run.Out, "") << args.back();
  }
}

}  // namespace
}  // namespace zarvo
