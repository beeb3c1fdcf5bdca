// zarvo analyse as a user runs it: the position from a folder, a list of moves or a record; the
// iteration lines or JSON, the summary line, the picture's colours, and bad input.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"
#include "tests/zarvo/svg_check.h"

namespace zarvo {
namespace {

using testing::RunTool;
using testing::TTempDir;

std::string LastLine(const std::string& text) {
  const std::size_t end = text.find_last_not_of('\n');
  return text.substr(text.rfind('\n', end) + 1, end - text.rfind('\n', end));
}

// What a picture shows: the colour of the stone on each square ('x' black, 'o' white) and the
// square of each number written on a stone. The board's squares are 32 pixels from 36.
struct TShown {
  std::map<std::pair<int, int>, char> Stones;
  std::map<int, std::pair<int, int>> Numbers;
};

TShown ReadPicture(const std::string& svg) {
  TShown shown;
  const auto square = [](const std::string& pixels) { return (std::stoi(pixels) - 36) / 32; };
  static const std::regex stone(
      R"re(<circle class="stone" cx="(\d+)" cy="(\d+)" r="\d+" fill="(#[0-9a-f]+)")re");
  for (std::sregex_iterator it(svg.begin(), svg.end(), stone), end; it != end; ++it)
    shown.Stones[{square((*it)[1]), square((*it)[2])}] = (*it)[3] == "#1a1a1a" ? 'x' : 'o';
  static const std::regex number(R"re(<text x="(\d+)" y="(\d+)"[^>]*>(\d+)</text>)re");
  for (std::sregex_iterator it(svg.begin(), svg.end(), number), end; it != end; ++it) {
    const int y = std::stoi((*it)[2]) - 4;   // a number sits 4 pixels below the centre
    if (y < 36) continue;                    // the coordinates above the board
    if (std::stoi((*it)[1]) < 36) continue;  // and left of it
    shown.Numbers[std::stoi((*it)[3])] = {square((*it)[1]), (y - 36) / 32};
  }
  return shown;
}

// The picture shows every stone of the position in its own colour, and the principal variation
// numbered from 1 on empty squares in alternating colours from the side to move, which the
// caption names.
TEST(AnalyseTool, PictureShowsThePositionsColoursAndTheLineFromTheSideToMove) {
  TTempDir dir;
  dir.Write("Tah.dat", "x");
  // The example folder: o at 9,9 and 10,9, x at 10,10, x to move (read in reading order, the
  // first stone would be taken for x).
  dir.Write("Plocha.dat", testing::BoardText({{9, 9, 'o'}, {10, 9, 'o'}, {10, 10, 'x'}}));
  std::filesystem::create_directories(dir / "o-to-move");
  dir.Write("o-to-move/Tah.dat", "o");
  dir.Write("o-to-move/Plocha.dat", testing::BoardText({{9, 9, 'x'}, {8, 8, 'x'}, {9, 8, 'o'}}));
  dir.Write("game.txt",
            "Game: 4\nx: a\no: b\nBoard: 15\nRule: exactly five\nOpening: 7,7 8,8\n"
            "Move 3: x 7,8 1 ms\nMove 4: o 6,6 1 ms\nMove 5: x 7,9 1 ms\n"
            "Result: draw\nReason: resigned\nDetail: stopped\n");
  const struct {
    std::vector<std::string> Args;
    std::map<std::pair<int, int>, char> Position;
    char ToMove;
    const char* Caption;
  } cases[] = {
      // Two stones of each colour side by side: no checkerboard.
      {{"--moves", "9,9 9,10 10,9 10,10"},
       {{{9, 9}, 'x'}, {{10, 9}, 'x'}, {{9, 10}, 'o'}, {{10, 10}, 'o'}},
       'x',
       "x to move (black), 20 x 20, freestyle; after the moves given"},
      {{(dir / "").string()},
       {{{9, 9}, 'o'}, {{10, 9}, 'o'}, {{10, 10}, 'x'}},
       'x',
       "x to move (black), 20 x 20, freestyle; the board of "},
      {{(dir / "o-to-move").string()},
       {{{9, 9}, 'x'}, {{8, 8}, 'x'}, {{9, 8}, 'o'}},
       'o',
       "o to move (white), 20 x 20, freestyle;"},
      {{"--record", (dir / "game.txt").string(), "--move", "4"},
       {{{7, 7}, 'x'}, {{8, 8}, 'o'}, {{7, 8}, 'x'}},
       'o',
       "o to move (white), 15 x 15, exactly five; game 4 before stone 4 (played: 6,6)"},
      {{"--moves", "7,7", "--board", "15", "--exact-five"},
       {{{7, 7}, 'x'}},
       'o',
       "o to move (white), 15 x 15, exactly five; after the moves given"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"analyse"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    for (const std::string& more : {std::string("--depth"), std::string("4"), std::string("--svg"),
                                    (dir / "line.svg").string()})
      args.push_back(more);
    const testing::TRun run = RunTool(args);
    ASSERT_EQ(run.Status, 0) << c.Args[0] << ": " << run.Err;
    const std::string svg = dir.Read("line.svg");
    ASSERT_EQ(testing::CheckSvg(svg).Error, "") << svg;
    EXPECT_NE(svg.find(c.Caption), std::string::npos) << c.Caption << "\n" << svg;
    const TShown shown = ReadPicture(svg);
    for (const auto& [square, colour] : c.Position) {
      ASSERT_TRUE(shown.Stones.contains(square)) << square.first << "," << square.second;
      EXPECT_EQ(shown.Stones.at(square), colour) << c.Caption << square.first << square.second;
    }
    ASSERT_FALSE(shown.Numbers.empty()) << c.Caption;
    EXPECT_EQ(shown.Stones.size(), c.Position.size() + shown.Numbers.size()) << c.Caption;
    char colour = c.ToMove;
    for (const auto& [number, square] : shown.Numbers) {
      EXPECT_FALSE(c.Position.contains(square)) << c.Caption << " stone " << number;
      EXPECT_EQ(shown.Stones.at(square), colour) << c.Caption << " stone " << number;
      colour = colour == 'x' ? 'o' : 'x';
    }
    // The best move of the summary is stone 1.
    const auto& [x, y] = shown.Numbers.begin()->second;
    EXPECT_TRUE(LastLine(run.Out).starts_with("best " + std::to_string(x) + "," +
                                              std::to_string(y) + " for " + c.ToMove + ": "))
        << run.Out;
  }
}

TEST(AnalyseTool, PrintsEveryIterationThenOneSummaryLine) {
  TTempDir dir;
  dir.Write("Tah.dat", "x");
  dir.Write("Plocha.dat",
            testing::BoardText({{9, 9, 'x'}, {10, 10, 'o'}, {9, 10, 'x'}, {8, 9, 'o'}}));
  const testing::TRun run =
      RunTool({"analyse", dir.Path().string(), "--time", "3000", "--depth", "3"});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(run.Out.starts_with("depth 1 score ")) << run.Out;
  EXPECT_NE(run.Out.find("\ndepth 3 score "), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.find("\ndepth 4 "), std::string::npos) << run.Out;
  const std::regex summary(
      R"re(best (\d+),(\d+) for x: score -?\d+ at depth 3 \(depths 2 and 3 average -?\d+\), )re"
      R"re(nodes \d+, \d+ ms)re");
  std::smatch match;
  const std::string last = LastLine(run.Out);
  ASSERT_TRUE(std::regex_match(last, match, summary)) << run.Out;
  const int x = std::stoi(match[1]), y = std::stoi(match[2]);
  EXPECT_FALSE((x == 9 && y == 9) || (x == 10 && y == 10) || (x == 9 && y == 10) ||
               (x == 8 && y == 9));
  EXPECT_EQ(dir.Read("Tah.dat"), "x");  // the folder is only read
}

TEST(AnalyseTool, JsonGivesAnObjectPerIterationAndTheResult) {
  // x's open four on row 9: a proven win in one ply, and a line of evaluations before.
  const struct {
    const char* Moves;
    const char* Result;
    const char* Summary;
  } cases[] = {
      {"5,9 5,0 6,9 7,0 7,9 9,0 8,9 0,19", R"re("win_in_plies":1,"winner":"x"})re",
       "; x wins in 1 ply"},
      {"9,9 10,10", R"re("win_in_plies":null,"winner":null})re", " at depth 2 (depths 1 and 2 "},
  };
  for (const auto& c : cases) {
    const testing::TRun run = RunTool({"analyse", "--moves", c.Moves, "--depth", "2", "--json"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::istringstream lines(run.Out);
    std::vector<std::string> objects;
    for (std::string line; std::getline(lines, line);) objects.push_back(line);
    ASSERT_FALSE(objects.empty());
    for (std::size_t i = 0; i + 1 < objects.size(); ++i)
      EXPECT_TRUE(std::regex_match(
          objects[i],
          std::regex(R"re(\{"type":"iteration","depth":\d+,"score":-?\d+,"nodes":\d+,)re"
                     R"re("solver_nodes":\d+,"time_ms":\d+,"pv":\["\d+,\d+"(,"\d+,\d+")*\]\})re")))
          << objects[i];
    EXPECT_TRUE(objects.back().starts_with(R"re({"type":"result","to_move":"x","move":")re"))
        << objects.back();
    EXPECT_TRUE(objects.back().ends_with(c.Result)) << objects.back();
    // The summary goes to standard error, so standard output stays JSON.
    EXPECT_NE(LastLine(run.Err).find(c.Summary), std::string::npos) << run.Err;
    EXPECT_TRUE(LastLine(run.Err).starts_with("best ")) << run.Err;
  }
}

TEST(AnalyseTool, RefusesBadInput) {
  TTempDir empty;
  empty.Write("game.txt", "Game: 1\nOpening: 9,9\nResult: draw\nReason: resigned\n");
  const struct {
    std::vector<std::string> Args;
    int Status;
    const char* Error;
  } cases[] = {
      {{"analyse", empty.Path().string()}, 1, "cannot read"},
      {{"analyse"}, 2, "no position given"},
      {{"analyse", ".", "--time", "0"}, 2, "--time takes"},
      {{"analyse", ".", "--depth", "x"}, 2, "--depth takes"},
      {{"analyse", ".", "--svg"}, 2, "needs a value"},
      {{"analyse", "a", "b"}, 2, "unexpected argument"},
      {{"analyse", ".", "--moves", "9,9"}, 2, "one position only"},
      {{"analyse", "--moves", "9,9 10"}, 2, "'10' in --moves is no square"},
      {{"analyse", "--moves", "9,9 9,9"}, 1, "stone 2 (9,9) is on a taken square"},
      {{"analyse", "--moves", "9,9 15,3", "--board", "15"}, 1, "off the 15 x 15 board"},
      {{"analyse", "--moves", "0,0 0,1 1,0 1,1 2,0 2,1 3,0 3,1 4,0"}, 1, "x already has five"},
      {{"analyse", "--moves", "9,9", "--move", "2"}, 2, "--move goes with --record"},
      {{"analyse", "--record", (empty / "game.txt").string(), "--board", "15"},
       2,
       "the record says its board"},
      {{"analyse", "--record", (empty / "game.txt").string(), "--move", "3"},
       1,
       "--move takes 1 to 2"},
      {{"analyse", "--record", (empty / "missing.txt").string()}, 1, "cannot read"},
  };
  for (const auto& c : cases) {
    const testing::TRun run = RunTool(c.Args);
    EXPECT_EQ(run.Status, c.Status) << c.Args.back() << ": " << run.Err;
    EXPECT_NE(run.Err.find(c.Error), std::string::npos) << c.Args.back() << ": " << run.Err;
  }
}

}  // namespace
}  // namespace zarvo
