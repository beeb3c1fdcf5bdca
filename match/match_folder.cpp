#include "match/match_folder.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <sstream>

namespace zarvo::match {
namespace {

// Indexed by TMatchProgress.
constexpr std::array<std::string_view, 3> kProgressNames{"playing", "finished", "stopped"};

}  // namespace

std::string_view ProgressName(TMatchProgress progress) {
  return kProgressNames[static_cast<std::size_t>(progress)];
}

std::optional<TMatchProgress> ProgressOfName(std::string_view name) {
  for (std::size_t i = 0; i < kProgressNames.size(); ++i)
    if (kProgressNames[i] == name) return static_cast<TMatchProgress>(i);
  return std::nullopt;
}

std::string GameFileName(int number, std::string_view extension) {
  std::ostringstream name;
  name << "game-" << std::setw(3) << std::setfill('0') << number << extension;
  return name.str();
}

bool ReplaceFile(const std::filesystem::path& path, std::string_view text, std::string& error) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
      error = "cannot write '" + temporary.string() + "'";
      out.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  // rename replaces the old file in one step: a reader opens either the old one or the new one.
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot rename '" + temporary.string() + "' to '" + path.string() + "'";
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

std::string MatchStateText(const TMatchState& state) {
  return "# zarvo match: the match the records in this folder belong to\nGames: " +
         std::to_string(state.Games) + "\nState: " + std::string(ProgressName(state.Progress)) +
         "\n";
}

std::optional<TMatchState> ParseMatchState(std::string_view text, std::string& error) {
  TMatchState state;
  bool haveGames = false, haveState = false;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line.front() == '#') continue;
    if (line.starts_with("Games: ")) {
      std::istringstream number(line.substr(7));
      if (!(number >> state.Games) || state.Games < 1 || !(number >> std::ws).eof()) {
        error = "bad number of games";
        return std::nullopt;
      }
      haveGames = true;
    } else if (line.starts_with("State: ")) {
      const std::string_view name = std::string_view(line).substr(7);
      const auto progress = ProgressOfName(name);
      haveState = progress.has_value();
      if (progress) state.Progress = *progress;
      if (!haveState) {
        error = "unknown state '" + std::string(name.substr(0, 40)) + "'";
        return std::nullopt;
      }
    } else {
      error = "unexpected line '" + line.substr(0, 40) + "'";
      return std::nullopt;
    }
  }
  if (!haveGames || !haveState) {
    error = "needs Games and State";
    return std::nullopt;
  }
  return state;
}

}  // namespace zarvo::match
