// zarvo openings as a user runs it: a suite zarvo match reads back, the same for the same seed,
// and bad usage.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "match/openings.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TTempDir;

TEST(OpeningsTool, WritesASuiteTheMatchReadsBackTheSameForTheSameSeed) {
  TTempDir dir;
  const std::vector<std::string> args = {"openings",
                                         "--seed",
                                         "3",
                                         "--candidates",
                                         "4",
                                         "--depth",
                                         "2",
                                         "--play-depths",
                                         "1,2",
                                         "--band",
                                         "5000",
                                         "--out",
                                         (dir / "a.txt").string()};
  const testing::TRun run = RunTool(args);
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Err.find("candidate 4/4 "), std::string::npos) << run.Err;
  const std::string text = dir.Read("a.txt");
  EXPECT_TRUE(
      text.starts_with("# Openings the deep search judges close to even, made by:\n"
                       "# zarvo openings --seed 3 --candidates 4 --depth 2"))
      << text;

  std::istringstream in(text);
  std::string error;
  const auto openings = match::ParseOpenings(in, error);
  ASSERT_TRUE(openings) << error;
  EXPECT_NE(text.find("# " + std::to_string(openings->size()) + " openings;"), std::string::npos)
      << text;

  // The same options to standard output: the same suite, byte for byte, but for the command line.
  std::vector<std::string> toStdout(args.begin(), args.end() - 2);
  const testing::TRun again = RunTool(toStdout);
  ASSERT_EQ(again.Status, 0) << again.Err;
  const auto body = [](const std::string& suite) { return suite.substr(suite.find("\n# seed")); };
  EXPECT_EQ(body(again.Out), body(text));
}

TEST(OpeningsTool, RefusesBadUsageAndAnUnwritableOutput) {
  TTempDir dir;
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string Names;  // what the message must name
  } cases[] = {
      {{"openings", "--frobnicate"}, 2, "--frobnicate"},
      {{"openings", "--depth"}, 2, "--depth"},
      {{"openings", "--depth", "0"}, 2, "--depth"},
      {{"openings", "--depth", "21"}, 2, "--depth"},
      {{"openings", "--seed", "-1"}, 2, "--seed"},
      {{"openings", "--candidates", "many"}, 2, "--candidates"},
      {{"openings", "--candidates", "0"}, 2, "--candidates"},  // would judge nothing
      {{"openings", "--max-stones", "9"}, 2, "--max-stones"},
      {{"openings", "--min-stones", "5", "--max-stones", "4"}, 2, "--min-stones"},
      {{"openings", "--radius", "10"}, 2, "--radius"},
      {{"openings", "--band", "-5"}, 2, "--band"},
      {{"openings", "--play-depths", "5"}, 2, "--play-depths"},
      {{"openings", "--play-depths", "6,6"}, 2, "--play-depths"},
      {{"openings", "--play-depths", "5,,7"}, 2, "--play-depths"},
      {{"openings", "--play-depths", "5,21"}, 2, "--play-depths"},
      {{"openings", "--out", ""}, 2, "--out"},
      {{"openings", "--out", (dir / "missing" / "suite.txt").string()}, 1, "suite.txt"},
      {{"openings", "--out", dir.Path().string()}, 1, "cannot write"},
  };
  for (const auto& c : cases) {
    const testing::TRun run = RunTool(c.Args);
    EXPECT_EQ(run.Status, c.Status) << c.Args.back();
    EXPECT_NE(run.Err.find(c.Names), std::string::npos) << run.Err;
    EXPECT_TRUE(run.Out.empty()) << c.Args.back();
  }
}

}  // namespace
}  // namespace zarvo
