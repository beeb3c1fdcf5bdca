// The real zarvo program: `zarvo eval` run on temporary working directories.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "driver/move_files.h"
#include "tests/test_support.h"
#include "tests/zarvo/run_tool.h"

namespace zarvo {
namespace {

using testing::BoardText;
using testing::TTempDir;

using testing::RunTool;
using testing::TRun;

// Just enough JSON to read the tool's output back: objects keep their key order.
struct TJson {
  enum { kNumber, kString, kArray, kObject } Kind = kNumber;
  long long Number = 0;
  std::string String;
  std::vector<TJson> Items;
  // A struct of its own, not a std::pair: clang cannot instantiate a pair of an incomplete type.
  struct TMember;
  std::vector<TMember> Members;

  const TJson& operator[](std::size_t i) const { return Items.at(i); }
  const TJson& operator[](const std::string& key) const;
  std::vector<std::string> Keys() const;
};

struct TJson::TMember {
  std::string Name;
  TJson Value;
};

const TJson& TJson::operator[](const std::string& key) const {
  for (const TMember& member : Members)
    if (member.Name == key) return member.Value;
  throw std::runtime_error("no key " + key);
}

std::vector<std::string> TJson::Keys() const {
  std::vector<std::string> keys;
  for (const TMember& member : Members) keys.push_back(member.Name);
  return keys;
}

class TJsonReader {
 public:
  explicit TJsonReader(const std::string& text) : text_(text) {}

  // The one value of the text; throws when anything but white space follows it.
  TJson Document() {
    TJson value = Value();
    SkipSpace();
    if (pos_ != text_.size()) throw std::runtime_error("text after the value");
    return value;
  }

 private:
  void SkipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  void Expect(char c) {
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != c)
      throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(pos_));
    ++pos_;
  }
  bool Take(char c) {
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
    return false;
  }
  std::string String() {
    Expect('"');
    const std::size_t end = text_.find('"', pos_);
    if (end == std::string::npos) throw std::runtime_error("unterminated string");
    std::string s = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return s;
  }
  TJson Value() {
    TJson value;
    SkipSpace();
    if (Take('{')) {
      value.Kind = TJson::kObject;
      if (Take('}')) return value;
      do {
        std::string key = String();
        Expect(':');
        value.Members.push_back({std::move(key), Value()});
      } while (Take(','));
      Expect('}');
    } else if (Take('[')) {
      value.Kind = TJson::kArray;
      if (Take(']')) return value;
      do value.Items.push_back(Value());
      while (Take(','));
      Expect(']');
    } else if (pos_ < text_.size() && text_[pos_] == '"') {
      value.Kind = TJson::kString;
      value.String = String();
    } else {
      std::size_t used = 0;
      value.Number = std::stoll(text_.substr(pos_, 24), &used);
      pos_ += used;
    }
    return value;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

std::vector<long long> Numbers(const TJson& array) {
  std::vector<long long> numbers;
  for (const TJson& item : array.Items) numbers.push_back(item.Number);
  return numbers;
}

std::vector<std::vector<long long>> Pairs(const TJson& array) {
  std::vector<std::vector<long long>> pairs;
  for (const TJson& item : array.Items) pairs.push_back(Numbers(item));
  return pairs;
}

// x: three in a row on line 5 and one stone at (9, 9); o: four on a diagonal, blocked by that x.
const std::string kBoard = BoardText({{5, 5, 'x'},
                                      {6, 5, 'x'},
                                      {7, 5, 'x'},
                                      {9, 9, 'x'},
                                      {10, 10, 'o'},
                                      {11, 11, 'o'},
                                      {12, 12, 'o'},
                                      {13, 13, 'o'}});

// Every cell and list of the JSON equals the engine's own evaluation of the same directory, in
// the stated layout; slot 0 follows the side to play.
TEST(ZarvoEval, JsonHoldsEveryCellAndListOfTheEvaluation) {
  BuildPairClass();
  for (const char* side : {"x", "o"}) {
    TTempDir dir;
    dir.Write("Tah.dat", side);
    dir.Write("Plocha.dat", kBoard);
    const TRun run = RunTool({"eval", "--json", dir.Path().string()});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const TJson json = TJsonReader(run.Out).Document();

    TEngineState state;
    state.WorkDir = dir.Path();
    TPosition position{};
    ASSERT_TRUE(ReadMoveFiles(state, position));
    TThreatLists lists;
    RescanAll(position, &lists);

    EXPECT_EQ(json.Keys(), (std::vector<std::string>{"own", "stones", "cells", "lists"}));
    EXPECT_EQ(json["own"].Number, side[0] == 'x' ? 1 : 2);
    EXPECT_EQ(json["stones"].Number, 8);
    const TJson& cells = json["cells"];
    ASSERT_EQ(cells.Items.size(), 400u);
    for (int i = 0; i < 400; ++i) {
      const TJson& cell = cells[i];
      const int x = i / 20, y = i % 20;  // X outer, Y inner
      const TCell& expected = position.Cell(x, y);
      ASSERT_EQ(cell.Keys(),
                (std::vector<std::string>{"x", "y", "stone", "value", "linesum", "top", "dir"}));
      ASSERT_EQ(cell["x"].Number, x);
      ASSERT_EQ(cell["y"].Number, y);
      EXPECT_EQ(cell["stone"].Number, expected.Stone);
      EXPECT_EQ(Numbers(cell["value"]),
                (std::vector<long long>{expected.Value[0], expected.Value[1]}));
      EXPECT_EQ(Numbers(cell["linesum"]),
                (std::vector<long long>{expected.LineSum[0], expected.LineSum[1]}));
      EXPECT_EQ(Numbers(cell["top"]),
                (std::vector<long long>{expected.TopClass[0], expected.TopClass[1]}));
      EXPECT_EQ(Numbers(cell["dir"]),
                (std::vector<long long>{expected.DirClass[0], expected.DirClass[1],
                                        expected.DirClass[2], expected.DirClass[3]}));
    }

    // The lists, read back and checked against the position's known threats.
    const TJson& jsonLists = json["lists"];
    EXPECT_EQ(jsonLists.Keys(), (std::vector<std::string>{"five", "openfour", "four"}));
    using TPairs = std::vector<std::vector<long long>>;
    const TPairs xOpenFour{{4, 5}, {8, 5}}, xFour{{3, 5}, {9, 5}}, oFive{{14, 14}}, oFour{{15, 15}};
    const int xSlot = side[0] == 'x' ? 0 : 1;
    EXPECT_EQ(Pairs(jsonLists["openfour"][xSlot]), xOpenFour) << side;
    EXPECT_EQ(Pairs(jsonLists["four"][xSlot]), xFour) << side;
    EXPECT_EQ(Pairs(jsonLists["five"][1 - xSlot]), oFive) << side;
    EXPECT_EQ(Pairs(jsonLists["four"][1 - xSlot]), oFour) << side;
    EXPECT_EQ(Pairs(jsonLists["five"][xSlot]), TPairs{}) << side;
    EXPECT_EQ(Pairs(jsonLists["openfour"][1 - xSlot]), TPairs{}) << side;
    EXPECT_EQ(cells[4 * 20 + 5]["top"][xSlot].Number, kClassOpenFour);
  }
}

TEST(ZarvoEval, PictureShowsStonesClassesValuesAndLists) {
  TTempDir dir;
  dir.Write("Tah.dat", "x");
  dir.Write("Plocha.dat", kBoard);
  const TRun run = RunTool({"eval", dir.Path().string()});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Err, "");
  EXPECT_NE(run.Out.find("8 stones, x to play"), std::string::npos) << run.Out;
  // Row 5 of the class grid: fours outside, open fours next to the three stones.
  EXPECT_NE(run.Out.find("\n  5  .  2  4  6  7  x  x  x  7  6  4  2  .  2  .  .  .  .  .  .\n"),
            std::string::npos)
      << run.Out;
  EXPECT_NE(run.Out.find(" 3017     x     x     x  3017 "), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("open four  x: (4,5) (8,5)\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("five       o: (14,14)\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("five       x: -\n"), std::string::npos) << run.Out;
  // The candidates the search would try, best first: the block of o's five leads.
  EXPECT_NE(run.Out.find("Level-1 candidates for x"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("\n   1. (14,14) "), std::string::npos) << run.Out;
}

TEST(ZarvoEval, HelpExplainsTheUsage) {
  for (const auto& args :
       {std::vector<std::string>{"--help"}, {"eval", "--help"}, {"eval", "-h"}}) {
    const TRun run = RunTool(args);
    EXPECT_EQ(run.Status, 0) << args.back();
    EXPECT_NE(run.Out.find("eval [--json] DIR"), std::string::npos) << run.Out;
    EXPECT_EQ(run.Err, "");
  }
}

// Every bad call ends with one line on stderr and nothing on stdout: status 1 when the folder or
// its files cannot be read, 2 for bad usage.
TEST(ZarvoEval, BadDirectoriesAndUsageAreOneLineErrors) {
  TTempDir dir;
  std::filesystem::create_directories(dir / "only-board");
  dir.Write("only-board/Plocha.dat", kBoard);
  std::filesystem::create_directories(dir / "only-move");
  dir.Write("only-move/Tah.dat", "x");
  std::filesystem::create_directories(dir / "board-is-folder/Plocha.dat");
  dir.Write("board-is-folder/Tah.dat", "x");
  dir.Write("a-file", "x");
  const std::string base = dir.Path().string() + "/";
  struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Says;  // part of the message
  } const cases[] = {
      {{"eval", base + "missing"}, 1, "not a directory"},
      {{"eval", "--json", base + "a-file"}, 1, "not a directory"},
      {{"eval", base + "only-board"}, 1, "Tah.dat"},
      {{"eval", "--json", base + "only-move"}, 1, "Plocha.dat"},
      {{"eval", base + "board-is-folder"}, 1, "Plocha.dat"},
      {{"eval"}, 2, "no directory"},
      {{"eval", "--jsn", base + "only-move"}, 2, "unknown option '--jsn'"},
      {{"eval", base + "only-board", base + "only-move"}, 2, "more than one"},
      {{"evaluate"}, 2, "unknown command"},
  };
  for (const Case& c : cases) {
    const TRun run = RunTool(c.Args);
    const std::string name = c.Args.back();
    EXPECT_EQ(run.Status, c.Status) << name;
    EXPECT_EQ(run.Out, "") << name;
    EXPECT_NE(run.Err.find(c.Says), std::string::npos) << name << ": " << run.Err;
    EXPECT_EQ(run.Err.find('\n'), run.Err.size() - 1) << name << ": " << run.Err;  // one line
  }
}

}  // namespace
}  // namespace zarvo
