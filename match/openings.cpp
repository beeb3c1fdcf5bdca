#include "match/openings.h"

#include <algorithm>
#include <sstream>

#include "match/game_rules.h"

namespace zarvo::match {
namespace {

// The central area random openings are drawn from: kCentreSize squares each way.
constexpr int kCentreSize = 7;

}  // namespace

std::optional<std::vector<TOpening>> ParseOpenings(std::istream& in, std::string& error) {
  std::vector<TOpening> openings;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    TOpening opening;
    TGameBoard board(kBoardSize);
    std::string word;
    bool emptyBoard = false;
    while (words >> word) {
      if (word == "-" && opening.empty()) {
        emptyBoard = true;
        continue;
      }
      const auto square = ParseCoordinates(word);
      if (!square || !OnBoard(square->X, square->Y)) {
        error = "line " + std::to_string(lineNumber) + ": bad square '" + word + "'";
        return std::nullopt;
      }
      if (!board.IsEmpty(*square)) {
        error = "line " + std::to_string(lineNumber) + ": two stones on " + word;
        return std::nullopt;
      }
      board.Place(*square, ColourOfStone(opening.size()));
      opening.push_back(*square);
      if (!FiveThrough(board, *square).empty()) {
        error = "line " + std::to_string(lineNumber) + ": the opening holds five in a row";
        return std::nullopt;
      }
    }
    if (emptyBoard && !opening.empty()) {
      error = "line " + std::to_string(lineNumber) + ": '-' (the empty board) stands alone";
      return std::nullopt;
    }
    if (emptyBoard || !opening.empty()) openings.push_back(std::move(opening));
  }
  return openings;
}

TOpening RandomOpening(TRandom& random, int boardSize) {
  const int stones = 2 + random.Random(3);
  // Centred on any board (6 .. 12 on 20 x 20, 4 .. 10 on 15 x 15); on an even board half a
  // square towards the origin.
  const int low = (boardSize - kCentreSize) / 2;
  TOpening opening;
  while (static_cast<int>(opening.size()) < stones) {
    const TSquare square{low + random.Random(kCentreSize), low + random.Random(kCentreSize)};
    if (std::find(opening.begin(), opening.end(), square) == opening.end())
      opening.push_back(square);
  }
  return opening;
}

}  // namespace zarvo::match
