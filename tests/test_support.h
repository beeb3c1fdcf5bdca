// Small helpers shared by the tests: temporary working directories and file contents.
#pragma once

#include <unistd.h>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace zarvo::testing {

// A fresh directory under the system temp folder, removed with everything in it.
class TTempDir {
 public:
  TTempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("zarvo-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code error;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

// A board text of 20 lines of 20 characters; stones given as (x, y, 'x' or 'o').
struct TStone {
  int X;
  int Y;
  char Stone;
};

inline std::string BoardText(std::initializer_list<TStone> stones, const char* lineEnd = "\r\n") {
  std::string rows[20];
  for (auto& row : rows) row.assign(20, '.');
  for (const TStone& s : stones) rows[s.Y][s.X] = s.Stone;
  std::string text;
  for (const auto& row : rows) text += row + lineEnd;
  return text;
}

// The square of an answer line "X,Y" CR LF, when the text is exactly one such line.
inline std::optional<std::pair<int, int>> ParseAnswer(const std::string& text) {
  int x = -1, y = -1, length = 0;
  if (std::sscanf(text.c_str(), "%d,%d\r\n%n", &x, &y, &length) != 2) return std::nullopt;
  if (length != static_cast<int>(text.size()) || text.find('\n') != text.size() - 1)
    return std::nullopt;
  return std::pair(x, y);
}

}  // namespace zarvo::testing
