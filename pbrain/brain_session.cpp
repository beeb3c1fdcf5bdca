#include "pbrain/brain_session.h"

#include <algorithm>
#include <utility>

#include "base/random.h"
#include "base/square_text.h"
#include "driver/swap2.h"
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
std::optional<TSquare> SquareOf(int64_t x, int64_t y, const TBrainBoard& board) {
  if (x < 0 || x >= board.Width() || y < 0 || y >= board.Height()) return std::nullopt;
  return TSquare{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

std::string BoardName(const TBrainBoard& board) {
  return std::to_string(board.Width()) + " x " + std::to_string(board.Height()) + " board";
}

// A swap2 opening as a board of the game's size: stones alternate black, white, black...; the
// engine owns the black ones, or the white ones when it plays white.
TBrainBoard Swap2Board(const TBrainBoard& game, const std::vector<TSquare>& stones,
                       bool engineIsWhite) {
  TBrainBoard board(game.Width(), game.Height());
  for (std::size_t i = 0; i < stones.size(); ++i) {
    const bool white = i % 2 == 1;
    board.Place(stones[i].X, stones[i].Y, white == engineIsWhite ? TOwner::Own : TOwner::Opponent);
  }
  return board;
}

// The square of a TURN or TAKEBACK argument on the game's board, or the error answer for it.
std::optional<TSquare> ParseSquare(std::string_view command, std::string_view args,
                                   const TBrainBoard& board, std::vector<std::string>& out) {
  const auto numbers = ParseIntegerList(args, 2);
  if (!numbers) {
    out.push_back("ERROR " + std::string(command) + " needs x,y, got '" + Printable(args) + "'");
    return std::nullopt;
  }
  const auto square = SquareOf((*numbers)[0], (*numbers)[1], board);
  if (!square) out.push_back("ERROR " + Printable(args) + " is off the " + BoardName(board));
  return square;
}

constexpr const char* kNoGame = "ERROR no game: START 20 first";

}  // namespace

TBrainSession::TBrainSession(TBrainOptions options, TPlayFunction play)
    : options_(std::move(options)) {
  deep_ = !play && !options_.Classic;
  play_ = play ? std::move(play) : TPlayFunction(PlayPosition);
  threads_ = UsableThreads(options_.Threads);
  ApplyMemoryAndThreads();
}

void TBrainSession::ApplyMemoryAndThreads() {
  // Beside the table, the program needs about 24 MB, and each thread past the first 2 MB more
  // (its move lists, history and threat solver).
  constexpr int64_t kOtherMemory = int64_t{24} << 20, kThreadMemory = int64_t{2} << 20;
  int64_t table = int64_t{TDeepEngine::kDefaultTableBytes};
  if (maxMemory_ && *maxMemory_ > 0)
    table = std::max<int64_t>(*maxMemory_ - kOtherMemory - kThreadMemory * (threads_ - 1), 1 << 20);
  tableBytes_ = static_cast<std::size_t>(
      std::min<uint64_t>(static_cast<uint64_t>(table), options_.MaxTableBytes));
  if (deepEngine_) {
    deepEngine_->SetTableBytes(tableBytes_);
    deepEngine_->SetThreads(threads_);
  }
}

std::vector<std::string> TBrainSession::HandleLine(std::string_view line) noexcept {
  std::vector<std::string> out;
  try {
    received_ = TMonotonicClock::now();  // the move's thinking time counts from here
    if (ended_) return out;
    // The line end (LF, CR LF or CR) is no part of the command and does not count toward the limit.
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() > kMaxBrainLineLength) {
      out.push_back("ERROR line too long (more than " + std::to_string(kMaxBrainLineLength) +
                    " bytes)");
      return out;
    }
    line = TrimBlanks(line);
    if (line.empty()) return out;  // blank lines carry nothing
    if (pendingBoard_)
      BoardLine(line, out);
    else if (pendingSwap2_)
      Swap2Line(line, out);
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
    } else if (!BoardSizeAllowed(*size, *size)) {
      out.push_back(SizeRefusal(args));
    } else {
      NewGame(static_cast<int>(*size), static_cast<int>(*size));
      out.push_back("OK");
    }
  } else if (command == "RECTSTART") {
    const auto size = ParseIntegerList(args, 2);
    started_ = false;
    if (!size) {
      out.push_back("ERROR RECTSTART needs width,height, got '" + Printable(args) + "'");
    } else if (!BoardSizeAllowed((*size)[0], (*size)[1])) {
      out.push_back(SizeRefusal(args));
    } else {
      NewGame(static_cast<int>((*size)[0]), static_cast<int>((*size)[1]));
      out.push_back("OK");
    }
  } else if (command == "RESTART") {
    if (!args.empty()) {
      out.push_back("ERROR RESTART takes no arguments");
    } else if (!started_) {
      out.push_back("ERROR no game to restart: START 20 first");
    } else {
      NewGame(board_.Width(), board_.Height());
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
      pendingBoard_.emplace(board_.Width(), board_.Height());
  } else if (command == "DONE") {
    out.push_back("ERROR DONE without BOARD");
  } else if (command == "SWAP2BOARD") {
    if (!args.empty())
      out.push_back("ERROR SWAP2BOARD takes no arguments; its stones follow on lines of their own");
    else
      pendingSwap2_ = TSwap2Block{};  // assigned: clang rejects emplace() of this nested struct
  } else if (command == "TAKEBACK") {
    TakeBack(args, out);
  } else if (command == "PLAY") {
    Play(args, out);
  } else if (command == "SUGGEST") {
    Suggest(args, out);
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
  const auto square = SquareOf((*numbers)[0], (*numbers)[1], *pendingBoard_);
  const int64_t field = (*numbers)[2];
  if (!square) {
    out.push_back("ERROR " + Printable(line) + ": the square is off the " +
                  BoardName(*pendingBoard_));
  } else if (field < 1 || field > 3) {
    out.push_back("ERROR " + Printable(line) + ": the field must be 1 (own), 2 (opponent) or 3");
  } else if (pendingBoard_->At(square->X, square->Y) != TOwner::None) {
    out.push_back("ERROR " + Printable(line) + ": the square was given before");
  } else if (field != 3) {  // 3 marks a square of neither side: it stays empty
    pendingBoard_->Place(square->X, square->Y, field == 1 ? TOwner::Own : TOwner::Opponent);
  }
}

void TBrainSession::Swap2Line(std::string_view line, std::vector<std::string>& out) {
  const std::string command = UpperCase(SplitWord(line).first);
  if (command == "DONE") return Swap2Done(out);
  if (KeepsBoard(command)) return Dispatch(line, out);
  if (AbandonsBoard(command)) {
    pendingSwap2_.reset();
    return Dispatch(line, out);
  }

  // A stone line "x,y". The colours follow from the order, so a refused line spoils the block.
  TSwap2Block& block = *pendingSwap2_;
  const auto numbers = ParseIntegerList(line, 2);
  const auto square = numbers ? SquareOf((*numbers)[0], (*numbers)[1], board_) : std::nullopt;
  if (!numbers) {
    out.push_back("ERROR SWAP2BOARD expects lines x,y and DONE, got '" + Printable(line) + "'");
  } else if (!square) {
    out.push_back("ERROR " + Printable(line) + ": the square is off the " + BoardName(board_));
  } else if (std::find(block.Stones.begin(), block.Stones.end(), *square) != block.Stones.end()) {
    out.push_back("ERROR " + Printable(line) + ": the square was given before");
  } else if (block.Stones.size() == 5) {
    out.push_back("ERROR " + Printable(line) + ": a swap2 opening has at most 5 stones");
  } else {
    return block.Stones.push_back(*square);
  }
  block.Refused = true;
}

void TBrainSession::Swap2Done(std::vector<std::string>& out) {
  const TSwap2Block block = std::move(*pendingSwap2_);
  pendingSwap2_.reset();
  if (!started_) return out.push_back(kNoGame);
  if (block.Refused)
    return out.push_back("ERROR SWAP2BOARD: a stone line was refused, so nothing is played");
  const std::vector<TSquare>& stones = block.Stones;
  const int count = static_cast<int>(stones.size());
  if (count != 0 && count != 3 && count != 5)
    return out.push_back("ERROR SWAP2BOARD needs 0, 3 or 5 stones, not " + std::to_string(count));

  // 1. The empty board: the opener's three stones. The engine keeps black unless the other
  //    player swaps, in which case the manager sends the position again.
  if (count == 0) {
    const auto opening =
        Swap2OpeningStones(options_.Seed.value_or(ClockSeed()), board_.Width(), board_.Height());
    const std::vector<TSquare> placed(opening.begin(), opening.end());
    board_ = Swap2Board(board_, placed, false);
    return out.push_back(SquareText(placed[0]) + " " + SquareText(placed[1]) + " " +
                         SquareText(placed[2]));
  }

  // 2. Three or five stones, white to move: the evaluation says which side stands better.
  const int64_t budgetMs = BudgetMs();
  switch (ChooseSwap2Step(count, InitiativeBalance(stones, board_.Width(), board_.Height()))) {
    case TSwap2Step::Swap:
      board_ = Swap2Board(board_, stones, false);
      return out.push_back("SWAP");
    case TSwap2Step::Move: {
      TBrainBoard board = Swap2Board(board_, stones, true);
      const TSquare move = EngineMove(board, budgetMs);
      board.Place(move.X, move.Y, TOwner::Own);
      board_ = std::move(board);
      return out.push_back(SquareText(move));
    }
    case TSwap2Step::PlaceTwo: {
      // White's best stone, then black's best answer, each in its part of the time. The engine
      // then counts as black, the colour the other player leaves it when it moves on as white.
      std::vector<TSquare> five = stones;
      five.push_back(
          EngineMove(Swap2Board(board_, five, true), deep::Swap2StoneBudgetMs(budgetMs, 0)));
      five.push_back(
          EngineMove(Swap2Board(board_, five, false), deep::Swap2StoneBudgetMs(budgetMs, 1)));
      board_ = Swap2Board(board_, five, false);
      return out.push_back(SquareText(five[3]) + " " + SquareText(five[4]));
    }
  }
}

int64_t TBrainSession::BudgetMs() const {
  return deep::MoveBudgetMs(limits_, options_.MaxMoveMs);
}

bool TBrainSession::BoardSizeAllowed(int64_t width, int64_t height) const {
  // The classic choice knows 20 x 20 only; the deep search any size from 15 to 20.
  if (!deep_) return width == kBoardSize && height == kBoardSize;
  const auto fits = [](int64_t n) { return n >= deep::kMinBoardSize && n <= deep::kMaxBoardSize; };
  return fits(width) && fits(height);
}

std::string TBrainSession::SizeRefusal(std::string_view args) const {
  return deep_ ? "ERROR boards from 15 x 15 to 20 x 20 are supported, not " + Printable(args)
               : "ERROR only 20 x 20 boards are supported, not " + Printable(args);
}

void TBrainSession::NewGame(int width, int height) {
  board_ = TBrainBoard(width, height);
  pendingBoard_.reset();
  pendingSwap2_.reset();
  started_ = true;
  // The deep search is made ready now, not in the first move's time.
  if (deep_) {
    if (!deepEngine_) deepEngine_ = std::make_unique<TDeepEngine>(tableBytes_);
    deepEngine_->SetThreads(threads_);
    deepEngine_->NewGame();
  }
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
  } else if (key == "FOLDER") {
    // A path the system cannot take (bytes of no encoding it knows) leaves the folder as it was.
    if (!value.empty()) {
      try {
        folder_ = std::filesystem::path(std::string(value));
      } catch (...) {
      }
    }
  } else if (key == "MAX_MEMORY") {
    // Bytes for the whole brain (0: no limit); the table takes what the rest leaves.
    if (number && *number >= 0) {
      maxMemory_ = *number;
      ApplyMemoryAndThreads();
    }
  } else if (key == "THREAD_NUM") {
    if (number) {
      threads_ = UsableThreads(*number);
      ApplyMemoryAndThreads();
    }
  } else if (key == "RULE") {
    // Bit 1 exactly five, 4 renju, 8 caro change what wins; bit 2 (continuous game) does not.
    // The deep search plays exactly five and renju (rule 5 too: renju's black already needs
    // exactly five); the classic choice knows freestyle only.
    const int64_t rule = number ? *number & ~int64_t{2} : -1;
    const bool renju = deep_ && (rule == 4 || rule == 5);
    const bool exactlyFive = deep_ && rule == 1;
    rule_ = renju         ? deep::TRule::Renju
            : exactlyFive ? deep::TRule::ExactlyFive
                          : deep::TRule::Freestyle;
    const bool asAsked = rule == 0 || exactlyFive || (renju && rule == 4);
    if (!asAsked && !ruleMessageGiven_) {
      ruleMessageGiven_ = true;
      out.push_back(renju ? "MESSAGE Zarvo2 plays rule " + Printable(value) + " as renju"
                          : std::string(deep_ ? "MESSAGE Zarvo2 plays freestyle (five or more in "
                                                "a row wins), exactly five (only five wins) and "
                                                "renju (rule 4)"
                                              : "MESSAGE Zarvo2 plays only freestyle (five or "
                                                "more in a row wins)") +
                                "; rule " + Printable(value) + " is played as freestyle");
    }
  }
  // game_type, evaluate and unknown keys change nothing the engine uses.
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
  const auto square = ParseSquare("TURN", args, board_, out);
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
  const auto square = ParseSquare("TAKEBACK", args, board_, out);
  if (!square) return;
  if (!board_.Remove(square->X, square->Y))
    return out.push_back("ERROR no stone on " + SquareText(square->X, square->Y));
  out.push_back("OK");
}

void TBrainSession::Play(std::string_view args, std::vector<std::string>& out) {
  if (!started_) return out.push_back(kNoGame);
  const auto square = ParseSquare("PLAY", args, board_, out);
  if (!square) return;
  if (!board_.Place(square->X, square->Y, TOwner::Own))
    return out.push_back("ERROR square " + SquareText(*square) + " is occupied");
  out.push_back(SquareText(*square));
}

void TBrainSession::Suggest(std::string_view args, std::vector<std::string>& out) {
  if (!started_) return out.push_back(kNoGame);
  if (!args.empty()) return out.push_back("ERROR SUGGEST takes no arguments");
  if (board_.Full()) return out.push_back("ERROR the board is full: no move left");
  out.push_back("SUGGEST " + SquareText(EngineMove(board_, BudgetMs(), &out)));
}

TSquare TBrainSession::EngineMove(const TBrainBoard& board, int64_t budgetMs,
                                  std::vector<std::string>* messages) {
  // 1. A fresh engine state, its clock started when the command came in.
  TEngineState state;
  state.Time.StartTime = received_;
  state.WorkDir = folder_.empty() ? options_.WorkDir : folder_;
  // 2. The position as Zarvo2 would read it from "Plocha.dat", and the limits from INFO.
  const TEngineBoard engineBoard = board.ForEngine();
  std::optional<TSquare> deepMove;
  if (deep_) deepMove = DeepMove(board, engineBoard, budgetMs, messages);
  TEngineOptions engineOptions;
  engineOptions.ProgramPath = options_.ProgramPath;
  engineOptions.Seed = options_.Seed;
  engineOptions.BudgetMs = budgetMs;
  engineOptions.MaxDepth = options_.MaxDepth;
  // Without a deep answer (no iteration finished, no move found) the classic choice stands.
  const TSquare move =
      deepMove ? *deepMove : play_(state, engineBoard.Side, engineBoard.Text, engineOptions);
  // 3. Never an occupied or off-board square, whatever the engine says.
  if (!board.IsEmptySquare(move.X, move.Y)) return *board.FirstEmpty();
  return {move.X, move.Y};
}

void TBrainSession::AnswerMove(std::vector<std::string>& out) {
  if (board_.Full()) return out.push_back("ERROR the board is full: no move left");
  const TSquare move = EngineMove(board_, BudgetMs(), &out);
  board_.Place(move.X, move.Y, TOwner::Own);
  out.push_back(SquareText(move));
}

std::optional<TSquare> TBrainSession::DeepMove(const TBrainBoard& board,
                                               const TEngineBoard& engineBoard, int64_t budgetMs,
                                               std::vector<std::string>* messages) {
  if (!deepEngine_) {
    deepEngine_ = std::make_unique<TDeepEngine>(tableBytes_);
    deepEngine_->SetThreads(threads_);
  }
  TDeepPlayOptions play;
  play.Start = received_;
  play.Width = board.Width();
  play.Height = board.Height();
  play.Rule = rule_;
  play.MaxDepth = options_.MaxDepth;
  play.Time = deep::PlanThinkingTime(deep::GameMoveSettings(limits_, board.StoneCount(), budgetMs));
  play.Stop = options_.Stop;
  const auto tell = [this, messages](std::string line) {
    if (options_.Emit)
      options_.Emit(line);
    else
      messages->push_back(std::move(line));
  };
  if (options_.Messages && messages != nullptr)
    play.OnIteration = [&tell](const deep::TIterationInfo& info) {
      tell("MESSAGE " + IterationText(info));
    };
  deep::TSearchResult result;
  const std::optional<TSquare> move =
      deepEngine_->Play(engineBoard.Text, engineBoard.Side, play, &result);
  // The whole move's count: the iterations' lines miss an abandoned last one.
  if (move && options_.Messages && messages != nullptr) tell("MESSAGE " + MoveText(result));
  return move;
}

}  // namespace zarvo
