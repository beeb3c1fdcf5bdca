// Every include of the tree points from a higher layer to a lower one. The table below is the one
// place that says which folder may include which; a new folder needs a row before it builds clean.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace zarvo {
namespace {

namespace fs = std::filesystem;

// Folder -> the folders its files may include besides its own. Layers, lowest first:
//   base <- board <- search, book <- select <- driver <- front ends and tools.
// deep/ (a search of its own) stands on board/ and base/ and is used by driver/ and above.
// tune/ (fitting the deep evaluation to recorded games) stands on the engine and match/, and so
// does serve/ (the web board's game and server).
// testing/ holds helpers the tests and the benchmarks share.
const std::map<std::string, std::set<std::string>>& MayInclude() {
  static const std::set<std::string> engine{"base",   "board", "search", "book",
                                            "select", "deep",  "driver"};
  static const std::map<std::string, std::set<std::string>> table = [] {
    std::map<std::string, std::set<std::string>> t{
        {"base", {}},
        {"board", {"base"}},
        {"search", {"base", "board"}},
        {"book", {"base", "board"}},
        {"deep", {"base", "board"}},
        {"select", {"base", "board", "search", "book"}},
        {"driver", {"base", "board", "search", "book", "select", "deep"}},
    };
    t["pbrain"] = engine;
    t["match"] = engine;
    t["tune"] = engine;
    t["tune"].insert("match");
    t["serve"] = engine;
    t["serve"].insert("match");
    t["zarvo"] = engine;
    t["zarvo"].insert({"match", "tune", "serve"});
    t["testing"] = engine;
    t["bench"] = engine;
    t["bench"].insert("testing");
    t["fuzz"] = engine;
    t["fuzz"].insert({"pbrain", "match", "serve", "zarvo"});
    t["tests"] = engine;
    t["tests"].insert({"pbrain", "match", "tune", "serve", "zarvo", "testing"});
    return t;
  }();
  return table;
}

struct TInclude {
  std::string File;  // relative to the root
  int Line;
  std::string Target;
};

bool IsSource(const fs::path& path) {
  return path.extension() == ".h" || path.extension() == ".cpp";
}

// The top folders of the source tree: hidden folders and build trees (they hold a CMake cache,
// and CMake's own probe sources) are not part of it.
std::vector<std::string> SourceFolders(const fs::path& root) {
  std::vector<std::string> folders;
  for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_directory() || name.starts_with(".")) continue;
    if (fs::exists(entry.path() / "CMakeCache.txt")) continue;
    folders.push_back(name);
  }
  return folders;
}

// Every quoted include of the C++ files under root, in folders that hold any.
std::vector<TInclude> QuotedIncludes(const fs::path& root) {
  static const std::regex includeLine(R"(^\s*#\s*include\s*"([^"]+)\")");
  std::vector<TInclude> found;
  for (const std::string& folder : SourceFolders(root)) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
      std::ifstream in(entry.path());
      std::string text;
      for (int line = 1; std::getline(in, text); ++line) {
        std::smatch match;
        if (std::regex_search(text, match, includeLine))
          found.push_back({fs::relative(entry.path(), root).generic_string(), line, match[1]});
      }
    }
  }
  return found;
}

std::string FirstComponent(const std::string& path) {
  const auto slash = path.find('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// One line per include that the table does not allow, and per folder with C++ files and no row.
std::vector<std::string> LayerViolations(const fs::path& root) {
  std::vector<std::string> violations;
  std::set<std::string> unknown;
  for (const TInclude& include : QuotedIncludes(root)) {
    const std::string from = FirstComponent(include.File);
    const std::string to = FirstComponent(include.Target);
    // A name without a folder is the includer's own neighbour; a folder outside the tree is a
    // library's.
    if (to.empty() || to == from || !fs::is_directory(root / to)) continue;
    const auto row = MayInclude().find(from);
    if (row == MayInclude().end()) {
      if (unknown.insert(from).second)
        violations.push_back(from + "/ has no row in the layer table");
      continue;
    }
    if (!row->second.contains(to))
      violations.push_back(include.File + ":" + std::to_string(include.Line) + " includes " +
                           include.Target + ": " + from + "/ may not include " + to + "/");
  }
  std::sort(violations.begin(), violations.end());  // directory order is the file system's
  return violations;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(IncludeLayers, NoIncludePointsUpALayer) {
  const std::vector<std::string> violations = LayerViolations(ZARVO_SOURCE_DIR);
  EXPECT_TRUE(violations.empty()) << Joined(violations);
}

// The check itself: a small tree with one include of each kind.
TEST(IncludeLayers, TheCheckFindsUpwardIncludesAndFoldersWithoutARow) {
  testing::TTempDir root;
  for (const char* folder : {"base", "board", "select", "extra", "build"})
    fs::create_directories(root / folder);
  root.Write("base/square.h", "#include <vector>\n#include \"base/other.h\"\n");
  root.Write("board/position.h", "#include \"base/square.h\"\n#include \"neighbour.h\"\n");
  root.Write("board/threat_lists.h", "// lists\n  #  include \"select/square_pool.h\"\n");
  root.Write("select/move.cpp", "#include \"board/position.h\"\n#include \"gtest/gtest.h\"\n");
  root.Write("extra/tool.cpp", "#include \"board/position.h\"\n");
  root.Write("build/CMakeCache.txt", "");
  root.Write("build/probe.cpp", "#include \"select/move.h\"\n");
  EXPECT_EQ(LayerViolations(root.Path()),
            (std::vector<std::string>{"board/threat_lists.h:2 includes select/square_pool.h: "
                                      "board/ may not include select/",
                                      "extra/ has no row in the layer table"}));
}

}  // namespace
}  // namespace zarvo
