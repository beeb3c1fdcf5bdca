#include "match/game_rules.h"

#include <memory>

#include "base/decimal_text.h"
#include "deep/forbidden.h"

namespace zarvo::match {

void TGameBoard::Place(TSquare square, char colour) {
  if (cells_[Index(square)] == '.') ++stones_;
  cells_[Index(square)] = colour;
}

std::array<std::string, kBoardSize> TGameBoard::Rows() const {
  std::array<std::string, kBoardSize> rows;
  for (int y = 0; y < kBoardSize; ++y)
    for (int x = 0; x < kBoardSize; ++x) rows[y] += At({x, y});
  return rows;
}

TGameBoard BoardOf(const std::vector<TSquare>& stones, int size) {
  TGameBoard board(size);
  for (std::size_t i = 0; i < stones.size(); ++i) board.Place(stones[i], ColourOfStone(i));
  return board;
}

std::vector<TSquare> FiveThrough(const TGameBoard& board, TSquare square, bool exactlyFive) {
  if (!board.OnBoard(square) || board.IsEmpty(square)) return {};
  const char colour = board.At(square);
  std::vector<TSquare> best;
  for (int d = 0; d < 4; ++d) {
    // Walk back to the first stone of the run, then collect it forwards.
    TSquare start = square;
    while (board.OnBoard({start.X - DirDX[d], start.Y - DirDY[d]}) &&
           board.At({start.X - DirDX[d], start.Y - DirDY[d]}) == colour) {
      start = {start.X - DirDX[d], start.Y - DirDY[d]};
    }
    std::vector<TSquare> run;
    for (TSquare at = start; board.OnBoard(at) && board.At(at) == colour;
         at = {at.X + DirDX[d], at.Y + DirDY[d]}) {
      run.push_back(at);
    }
    const bool wins = exactlyFive ? run.size() == 5 : run.size() >= 5;
    if (wins && run.size() > best.size()) best = std::move(run);
  }
  return best;
}

std::string_view RenjuForbidden(const TGameBoard& board, TSquare square) {
  if (!board.OnBoard(square) || !board.IsEmpty(square)) return {};
  // The deep engine's judge, on a board of its own: x is its side 0, black.
  const auto deep =
      std::make_unique<deep::TDeepBoard>(board.Size(), board.Size(), deep::TRule::Renju);
  for (int y = 0; y < board.Size(); ++y)
    for (int x = 0; x < board.Size(); ++x)
      if (const char stone = board.At({x, y}); stone == 'x' || stone == 'o')
        deep->Place(deep::SquareAt(x, y), stone == 'x' ? 0 : 1);
  switch (deep::ForbiddenKind(*deep, deep::SquareAt(square.X, square.Y))) {
    case deep::TForbidden::Overline:
      return "overline";
    case deep::TForbidden::FourFour:
      return "four-four";
    case deep::TForbidden::ThreeThree:
      return "three-three";
    case deep::TForbidden::None:
      break;
  }
  return {};
}

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<int64_t> ParseInt(std::string_view text) {
  return ParseDecimalIn(Trimmed(text), INT32_MIN, INT32_MAX);
}

}  // namespace

std::optional<TSquare> ParseCoordinates(std::string_view text) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto x = ParseInt(text.substr(0, comma));
  const auto y = ParseInt(text.substr(comma + 1));
  if (!x || !y) return std::nullopt;
  return TSquare{static_cast<int32_t>(*x), static_cast<int32_t>(*y)};
}

std::string RunText(const std::vector<TSquare>& run) {
  std::string text;
  for (const TSquare& square : run) {
    if (!text.empty()) text += ' ';
    text += SquareText(square);
  }
  return text;
}

}  // namespace zarvo::match
