// zarvo analyse as a user runs it: iteration lines, the move, the picture, and bad input.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TTempDir;

TEST(AnalyseTool, PrintsEveryIterationThenTheMoveAndDrawsTheLine) {
  TTempDir dir;
  dir.Write("Tah.dat", "x");
  dir.Write("Plocha.dat",
            testing::BoardText({{9, 9, 'x'}, {10, 10, 'o'}, {9, 10, 'x'}, {8, 9, 'o'}}));
  const testing::TRun run = RunTool({"analyse", dir.Path().string(), "--time", "3000", "--depth",
                                     "3", "--svg", (dir / "line.svg").string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(run.Out.starts_with("depth 1 score ")) << run.Out;
  EXPECT_NE(run.Out.find("\ndepth 3 score "), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.find("\ndepth 4 "), std::string::npos) << run.Out;
  const std::size_t move = run.Out.rfind("move ");
  ASSERT_NE(move, std::string::npos);
  int x = -1, y = -1;
  ASSERT_EQ(std::sscanf(run.Out.c_str() + move, "move %d,%d", &x, &y), 2);
  EXPECT_FALSE((x == 9 && y == 9) || (x == 10 && y == 10) || (x == 9 && y == 10) ||
               (x == 8 && y == 9));
  EXPECT_NE(dir.Read("line.svg").find("<svg"), std::string::npos);
  EXPECT_EQ(dir.Read("Tah.dat"), "x");  // the folder is only read
}

TEST(AnalyseTool, RefusesBadInput) {
  TTempDir empty;
  EXPECT_EQ(RunTool({"analyse", empty.Path().string()}).Status, 1);
  for (const auto& args : std::vector<std::vector<std::string>>{{"analyse"},
                                                                {"analyse", ".", "--time", "0"},
                                                                {"analyse", ".", "--depth", "x"},
                                                                {"analyse", ".", "--svg"},
                                                                {"analyse", "a", "b"}}) {
    const testing::TRun run = RunTool(args);
    EXPECT_EQ(run.Status, 2) << args.back();
    EXPECT_FALSE(run.Err.empty());
  }
}

}  // namespace
}  // namespace zarvo
