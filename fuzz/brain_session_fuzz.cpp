// Brain-protocol input of any kind, one line at a time through one session. The first byte
// chooses the engine: the classic choice, fast; a stub that names occupied and off-board squares
// on purpose; or the deep search with a tiny budget and depth, which plays boards from 15 x 15 to
// 20 x 20. Every answer must be one printable line of a known form, a move answer an empty
// square of the game's board that then holds the engine's stone, a suggestion an empty square,
// and the stones of a swap2 answer stones of that board. The board keeps the size of the game
// started last.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/engine.h"
#include "fuzz/fuzz_check.h"
#include "pbrain/brain_session.h"

namespace {

using namespace zarvo;

// A real move at depth 1 within a few milliseconds, whatever budget the session asks for.
TSquare FastEngine(TEngineState& state, int side, const TBoardText& board,
                   const TEngineOptions& options) {
  TEngineOptions fast = options;
  fast.BudgetMs = std::min<int64_t>(options.BudgetMs.value_or(5), 5);
  fast.MaxDepth = std::min<int32_t>(options.MaxDepth.value_or(1), 1);
  return PlayPosition(state, side, board, fast);
}

// Names, in turn, the first stone of the board, a square off it on either side, and the
// centre, which is occupied in most games.
unsigned gWrongCalls = 0;  // restarts with every input, so a finding replays alike

TSquare WrongEngine(TEngineState&, int, const TBoardText& board, const TEngineOptions&) {
  switch (gWrongCalls++ % 4) {
    case 0:
      for (int y = 0; y < board.RowCount; ++y) {
        const auto x = board.Rows[y].find_first_of("xo");
        if (x != std::string::npos) return {static_cast<int8_t>(x), static_cast<int8_t>(y)};
      }
      return {9, 9};
    case 1:
      return {20, 3};
    case 2:
      return {-1, -128};
    default:
      return {9, 9};
  }
}

// "x,y" with both numbers of the board, as the session writes a move.
std::optional<std::pair<int, int>> MoveOf(const std::string& line) {
  const auto comma = line.find(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 == line.size()) return std::nullopt;
  const auto digits = [](std::string_view text) {
    return text.size() <= 2 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  const std::string_view x(line.data(), comma), y(line.data() + comma + 1, line.size() - comma - 1);
  if (!digits(x) || !digits(y)) return std::nullopt;
  return std::pair(std::stoi(std::string(x)), std::stoi(std::string(y)));
}

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

// The squares of a swap2 answer: two or three moves separated by single spaces.
std::optional<std::vector<std::pair<int, int>>> StonesOf(const std::string& line) {
  std::vector<std::pair<int, int>> stones;
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = line.find(' ', start);
    const auto move = MoveOf(line.substr(start, space - start));
    if (!move) return std::nullopt;
    stones.push_back(*move);
    if (space == std::string::npos) break;
    start = space + 1;
  }
  if (stones.size() < 2 || stones.size() > 3) return std::nullopt;
  return stones;
}

// What an answer did to the board.
enum class TAnswerKind { Move, Stones, Other };

// The game's board: the size START, RECTSTART or RESTART gave it.
struct TGameSize {
  int Width = kBoardSize, Height = kBoardSize;
  bool Contains(int x, int y) const { return x >= 0 && x < Width && y >= 0 && y < Height; }
};

TAnswerKind CheckAnswer(const std::string& line, const TBrainSession& session, TGameSize game) {
  FUZZ_CHECK(!line.empty(), "an empty answer line");
  for (char c : line) FUZZ_CHECK(c >= 0x20 && c < 0x7f, "byte %d in an answer", c);
  if (const auto move = MoveOf(line)) {
    const auto [x, y] = *move;
    FUZZ_CHECK(game.Contains(x, y), "move %s off the %d x %d board", line.c_str(), game.Width,
               game.Height);
    const TBrainBoard& board = session.Board();
    FUZZ_CHECK(board.At(x, y) == TOwner::Own, "move %s is not the engine's stone", line.c_str());
    FUZZ_CHECK(!board.Order().empty() && board.Order().back() == (TSquare{x, y}),
               "move %s is not the last stone placed", line.c_str());
    return TAnswerKind::Move;
  }
  if (const auto stones = StonesOf(line)) {
    for (const auto& [x, y] : *stones)
      FUZZ_CHECK(game.Contains(x, y) && session.Board().At(x, y) != TOwner::None,
                 "swap2 stone %d,%d of '%s' not on the %d x %d board", x, y, line.c_str(),
                 game.Width, game.Height);
    return TAnswerKind::Stones;
  }
  if (line == "SWAP") return TAnswerKind::Stones;
  if (StartsWith(line, "SUGGEST ")) {
    const auto move = MoveOf(line.substr(8));
    FUZZ_CHECK(move && game.Contains(move->first, move->second) &&
                   session.Board().IsEmptySquare(move->first, move->second),
               "suggestion '%s' is not an empty square", line.c_str());
    return TAnswerKind::Other;
  }
  FUZZ_CHECK(line == "OK" || StartsWith(line, "ERROR ") || StartsWith(line, "UNKNOWN ") ||
                 StartsWith(line, "MESSAGE ") || StartsWith(line, "name=\""),
             "unexpected answer '%s'", line.c_str());
  return TAnswerKind::Other;
}

// The board's record of stones agrees with its squares: every square listed once, each owned.
void CheckBoard(const TBrainBoard& board, TGameSize game) {
  std::set<std::pair<int, int>> seen;
  for (const TSquare& s : board.Order()) {
    FUZZ_CHECK(game.Contains(s.X, s.Y) && board.At(s.X, s.Y) != TOwner::None, "stone %d,%d", s.X,
               s.Y);
    FUZZ_CHECK(seen.insert({s.X, s.Y}).second, "stone %d,%d listed twice", s.X, s.Y);
  }
  int occupied = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) occupied += board.At(x, y) != TOwner::None;
  FUZZ_CHECK(occupied == board.StoneCount(), "%d squares occupied, %d stones", occupied,
             board.StoneCount());
}

// The engine the first byte of an input chooses.
enum class TEngineKind { Classic, Wrong, Deep };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  gWrongCalls = 0;
  const auto kind = static_cast<TEngineKind>(data[0] % 3);
  TBrainOptions options;
  options.Seed = 1;
  options.WorkDir = fuzzing::ScratchDir();
  // The deep search in a few milliseconds a move and a small table, whatever INFO asks.
  options.MaxMoveMs = 5;
  options.MaxDepth = 2;
  options.MaxTableBytes = std::size_t{1} << 20;
  TBrainSession session(options, kind == TEngineKind::Deep ? TBrainSession::TPlayFunction()
                                 : kind == TEngineKind::Wrong
                                     ? TBrainSession::TPlayFunction(WrongEngine)
                                     : TBrainSession::TPlayFunction(FastEngine));
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  TGameSize game;
  size_t start = 0;
  while (start < input.size() && !session.Ended()) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(start, end - start);
    const int stonesBefore = session.Board().StoneCount();
    const std::vector<std::string> answers = session.HandleLine(line);
    // 1. The board changes size only with a new game: an empty board answered OK, of a size the
    //    engine plays.
    const TBrainBoard& board = session.Board();
    if (board.Width() != game.Width || board.Height() != game.Height) {
      FUZZ_CHECK(board.StoneCount() == 0 &&
                     std::find(answers.begin(), answers.end(), "OK") != answers.end(),
                 "the %d x %d board became %d x %d", game.Width, game.Height, board.Width(),
                 board.Height());
      game = {board.Width(), board.Height()};
    }
    const int smallest = kind == TEngineKind::Deep ? 15 : kBoardSize;
    FUZZ_CHECK(game.Width >= smallest && game.Height >= smallest && game.Width <= kBoardSize &&
                   game.Height <= kBoardSize,
               "a %d x %d board", game.Width, game.Height);
    // 2. Every answer on its own, and no more than one move for a line.
    int moves = 0;
    int swap2Answers = 0;
    for (const std::string& answer : answers) {
      const TAnswerKind answerKind = CheckAnswer(answer, session, game);
      moves += answerKind == TAnswerKind::Move;
      swap2Answers += answerKind == TAnswerKind::Stones;
    }
    FUZZ_CHECK(moves + swap2Answers <= 1, "%d moves answered to one line", moves + swap2Answers);
    CheckBoard(board, game);
    // 3. Stones come with a move or swap2 answer, or fill the board so that no move is left.
    if (moves + swap2Answers == 0 && board.StoneCount() > stonesBefore)
      FUZZ_CHECK(board.Full(), "%d stones appeared without a move",
                 board.StoneCount() - stonesBefore);
    start = end + 1;
  }
  return 0;
}
