#include "pbrain/brain_session.h"

#include <utility>

#include "pbrain/brain_text.h"

namespace zarvo {
namespace {

constexpr const char* kAboutLine =
    R"(name="Zarvo2", version="2.0", author="the Zarvo2 developers", country="-")";

// Words a manager may send between BOARD and DONE that are commands, not board lines.
bool AbandonsBoard(std::string_view command) {
  return command == "START" || command == "RECTSTART" || command == "RESTART";
}
bool KeepsBoard(std::string_view command) {
  return command == "END" || command == "INFO" || command == "ABOUT";
}

// The square of "x,y" given as 64-bit numbers, when it lies on the board.
std::optional<TSquare> SquareOf(int64_t x, int64_t y) {
  if (x < 0 || x >= kBoardSize || y < 0 || y >= kBoardSize) return std::nullopt;
  return TSquare{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

std::string SquareText(int x, int y) {
  return std::to_string(x) + "," + std::to_string(y);
}

// The square of a TURN or TAKEBACK argument, or the error answer for it.
std::optional<TSquare> ParseSquare(std::string_view command, std::string_view args,
                                   std::vector<std::string>& out) {
  const auto numbers = ParseIntegerList(args, 2);
  if (!numbers) {
    out.push_back("ERROR " + std::string(command) + " needs x,y, got '" + Printable(args) + "'");
    return std::nullopt;
  }
  const auto square = SquareOf((*numbers)[0], (*numbers)[1]);
  if (!square) out.push_back("ERROR " + Printable(args) + " is off the 20 x 20 board");
  return square;
}

constexpr const char* kNoGame = "ERROR no game: START 20 first";

}  // namespace

TBrainSession::TBrainSession(TBrainOptions options, TPlayFunction play)
    : options_(std::move(options)), play_(std::move(play)) {}

std::vector<std::string> TBrainSession::HandleLine(std::string_view line) noexcept {
  std::vector<std::string> out;
  try {
    received_ = TMonotonicClock::now();  // the move's thinking time counts from here
    if (ended_) return out;
    if (line.size() > kMaxBrainLineLength) {
      out.push_back("ERROR line too long (more than " + std::to_string(kMaxBrainLineLength) +
                    " bytes)");
      return out;
    }
    line = TrimBlanks(line);
    if (line.empty()) return out;  // blank lines carry nothing
    if (pendingBoard_)
      BoardLine(line, out);
    else
      Dispatch(line, out);
  } catch (...) {
    // Only memory can run out on the way; the game stays as the last whole step left it.
    try {
      out.assign(1, "ERROR internal error");
    } catch (...) {
      out.clear();
    }
  }
  return out;
}

void TBrainSession::Dispatch(std::string_view line, std::vector<std::string>& out) {
  const auto [word, args] = SplitWord(line);
  const std::string command = UpperCase(word);

  if (command == "START") {
    const auto size = ParseInteger(args);
    started_ = false;  // a refused size leaves no game to play on
    if (!size) {
      out.push_back("ERROR START needs the board size, got '" + Printable(args) + "'");
    } else if (*size != kBoardSize) {
      out.push_back("ERROR only 20 x 20 boards are supported, not " + Printable(args));
    } else {
      NewGame();
      out.push_back("OK");
    }
  } else if (command == "RECTSTART") {
    const auto size = ParseIntegerList(args, 2);
    started_ = false;
    if (!size) {
      out.push_back("ERROR RECTSTART needs width,height, got '" + Printable(args) + "'");
    } else if ((*size)[0] != kBoardSize || (*size)[1] != kBoardSize) {
      out.push_back("ERROR only 20 x 20 boards are supported, not " + Printable(args));
    } else {
      NewGame();
      out.push_back("OK");
    }
  } else if (command == "RESTART") {
    if (!args.empty()) {
      out.push_back("ERROR RESTART takes no arguments");
    } else if (!started_) {
      out.push_back("ERROR no game to restart: START 20 first");
    } else {
      NewGame();
      out.push_back("OK");
    }
  } else if (command == "BEGIN") {
    Begin(args, out);
  } else if (command == "TURN") {
    Turn(args, out);
  } else if (command == "BOARD") {
    if (!args.empty())
      out.push_back("ERROR BOARD takes no arguments; its stones follow on lines of their own");
    else
      pendingBoard_.emplace();
  } else if (command == "DONE") {
    out.push_back("ERROR DONE without BOARD");
  } else if (command == "TAKEBACK") {
    TakeBack(args, out);
  } else if (command == "INFO") {
    Info(args, out);
  } else if (command == "ABOUT") {
    out.push_back(kAboutLine);
  } else if (command == "END") {
    ended_ = true;
  } else {
    out.push_back("UNKNOWN " + Printable(line));
  }
}

void TBrainSession::BoardLine(std::string_view line, std::vector<std::string>& out) {
  const std::string command = UpperCase(SplitWord(line).first);
  if (command == "DONE") return Done(out);
  if (KeepsBoard(command)) return Dispatch(line, out);
  if (AbandonsBoard(command)) {
    pendingBoard_.reset();
    return Dispatch(line, out);
  }

  // A stone line "x,y,field"; a bad one is refused on its own and the board goes on.
  const auto numbers = ParseIntegerList(line, 3);
  if (!numbers) {
    out.push_back("ERROR BOARD expects lines x,y,field and DONE, got '" + Printable(line) + "'");
    return;
  }
  const auto square = SquareOf((*numbers)[0], (*numbers)[1]);
  const int64_t field = (*numbers)[2];
  if (!square) {
    out.push_back("ERROR " + Printable(line) + ": the square is off the 20 x 20 board");
  } else if (field < 1 || field > 3) {
    out.push_back("ERROR " + Printable(line) + ": the field must be 1 (own), 2 (opponent) or 3");
  } else if (pendingBoard_->At(square->X, square->Y) != TOwner::None) {
    out.push_back("ERROR " + Printable(line) + ": the square was given before");
  } else if (field != 3) {  // 3 marks a square of neither side: it stays empty
    pendingBoard_->Place(square->X, square->Y, field == 1 ? TOwner::Own : TOwner::Opponent);
  }
}

void TBrainSession::NewGame() {
  board_ = TBrainBoard{};
  pendingBoard_.reset();
  started_ = true;
}

void TBrainSession::Info(std::string_view args, std::vector<std::string>& out) {
  // INFO is never answered: a value that cannot be read is ignored.
  const auto [keyWord, value] = SplitWord(args);
  const std::string key = UpperCase(keyWord);
  const auto number = ParseInteger(value);
  if (key == "TIMEOUT_TURN") {
    if (number) limits_.TimeoutTurnMs = *number;
  } else if (key == "TIMEOUT_MATCH") {
    if (number) limits_.TimeoutMatchMs = *number;
  } else if (key == "TIME_LEFT") {
    if (number) limits_.TimeLeftMs = *number;
  } else if (key == "RULE") {
    // Bit 1 exact five, 4 renju, 8 caro change what wins; bit 2 (continuous game) does not.
    const bool freestyle = number && (*number & ~int64_t{2}) == 0;
    if (!freestyle && !ruleMessageGiven_) {
      ruleMessageGiven_ = true;
      out.push_back("MESSAGE Zarvo2 knows only freestyle (five or more in a row wins); rule " +
                    Printable(value) + " is played as freestyle");
    }
  }
  // max_memory, game_type, folder and unknown keys change nothing the engine uses.
}

void TBrainSession::Begin(std::string_view args, std::vector<std::string>& out) {
  if (!started_) return out.push_back(kNoGame);
  if (!args.empty()) return out.push_back("ERROR BEGIN takes no arguments");
  if (board_.StoneCount() != 0)
    return out.push_back("ERROR BEGIN needs an empty board; use BOARD for a position");
  AnswerMove(out);
}

void TBrainSession::Turn(std::string_view args, std::vector<std::string>& out) {
  if (!started_) return out.push_back(kNoGame);
  const auto square = ParseSquare("TURN", args, out);
  if (!square) return;
  if (!board_.Place(square->X, square->Y, TOwner::Opponent))
    return out.push_back("ERROR square " + SquareText(square->X, square->Y) + " is occupied");
  AnswerMove(out);
}

void TBrainSession::Done(std::vector<std::string>& out) {
  TBrainBoard board = std::move(*pendingBoard_);
  pendingBoard_.reset();
  if (!started_) return out.push_back(kNoGame);
  board_ = std::move(board);
  AnswerMove(out);
}

void TBrainSession::TakeBack(std::string_view args, std::vector<std::string>& out) {
  if (!started_) return out.push_back(kNoGame);
  const auto square = ParseSquare("TAKEBACK", args, out);
  if (!square) return;
  if (!board_.Remove(square->X, square->Y))
    return out.push_back("ERROR no stone on " + SquareText(square->X, square->Y));
  out.push_back("OK");
}

void TBrainSession::AnswerMove(std::vector<std::string>& out) {
  if (board_.Full()) return out.push_back("ERROR the board is full: no move left");

  // 1. A fresh engine state, its clock started when the command came in.
  TEngineState state;
  state.Time.StartTime = received_;
  state.WorkDir = options_.WorkDir;
  // 2. The position as Zarvo2 would read it from "Plocha.dat", and the limits from INFO.
  const TEngineBoard engineBoard = board_.ForEngine();
  TEngineOptions engineOptions;
  engineOptions.ProgramPath = options_.ProgramPath;
  engineOptions.Seed = options_.Seed;
  engineOptions.BudgetMs = MoveBudgetMs(limits_);
  TSquare move = play_(state, engineBoard.Side, engineBoard.Text, engineOptions);
  // 3. Never an occupied or off-board square, whatever the engine says.
  if (!board_.IsEmptySquare(move.X, move.Y)) move = *board_.FirstEmpty();
  board_.Place(move.X, move.Y, TOwner::Own);
  out.push_back(SquareText(move.X, move.Y));
}

}  // namespace zarvo
