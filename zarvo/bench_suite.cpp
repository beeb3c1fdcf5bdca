#include "zarvo/bench_suite.h"

#include <sstream>

#include "zarvo/text_args.h"

namespace zarvo::tool {

std::optional<std::vector<TBenchPosition>> ParseSuite(std::istream& in, std::string& error) {
  std::vector<TBenchPosition> suite;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    TBenchPosition position;
    std::string word;
    while (words >> word) {
      const auto square = ParseSquare(word);
      if (!square) {
        error = "line " + std::to_string(number) + ": '" + word + "' is not a square X,Y (0..19)";
        return std::nullopt;
      }
      for (const TSquare& played : position.Moves)
        if (played.X == square->X && played.Y == square->Y) {
          error = "line " + std::to_string(number) + ": square " + std::string(word) +
                  " is played twice";
          return std::nullopt;
        }
      position.Moves.push_back(*square);
    }
    if (!position.Moves.empty()) suite.push_back(std::move(position));
  }
  return suite;
}

}  // namespace zarvo::tool
