// zarvo serve's options: each wrong one refused with its reason before anything listens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

TEST(ServeCommand, WrongOptionsAreBadUsageWithTheirReason) {
  struct TCase {
    std::vector<std::string> Args;
    const char* Says;
  };
  const std::vector<TCase> cases = {
      {{"serve", "--port", "65536"}, "--port takes a whole number from 0 to 65535"},
      {{"serve", "--port"}, "--port needs a value"},
      {{"serve", "--board", "14"}, "--board takes a whole number from 15 to 20"},
      {{"serve", "--move-time", "0"}, "--move-time takes a whole number from 1"},
      {{"serve", "--colour", "black"}, "--colour takes x or o"},
      {{"serve", "--engine", "/bin/true"}, "file:"},
      {{"serve", "--engine", "pipe:/no/such/brain"}, "no executable file"},
      {{"serve", "--engine", "file:/bin/true", "--board", "15"}, "move-file engine"},
      {{"serve", "--open-to-all"}, "unexpected argument '--open-to-all'"},
      // Watching plays no game: the options of one would do nothing.
      {{"serve", "--watch", "runs", "--board", "15"}, "--board sets up a game to play; --watch"},
      {{"serve", "--exact-five", "--watch", "runs"}, "--exact-five sets up a game to play"},
      {{"serve", "--watch", ""}, "--watch needs a folder"},
  };
  for (const TCase& c : cases) {
    const testing::TRun run = testing::RunTool(c.Args);
    ASSERT_TRUE(run.Exited) << c.Says;
    EXPECT_EQ(run.Status, 2) << c.Says;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "") << c.Says;
  }
}

}  // namespace
}  // namespace zarvo
