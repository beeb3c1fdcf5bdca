// zarvo play: a game between a person at the terminal and an engine, saved as a game record.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "board/stones.h"
#include "deep/rules.h"
#include "driver/deep_engine.h"
#include "match/engine_player.h"
#include "match/game_record.h"
#include "match/game_rules.h"
#include "zarvo/analysis_position.h"
#include "zarvo/analysis_text.h"
#include "zarvo/board_text.h"
#include "zarvo/commands.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

using namespace zarvo::match;
using TClock = std::chrono::steady_clock;

constexpr std::string_view kPlayUsage =
    "usage: zarvo play ENGINE [--colour x|o] [--move-time MS] [--tolerance MS] [--board N]\n"
    "                  [--exact-five | --renju] [--record FILE]\n"
    "\n"
    "Plays a game against ENGINE at the terminal. ENGINE is named as for 'zarvo match':\n"
    "\"file:PATH [ARG...]\" (a move-file engine) or \"pipe:PATH [ARG...]\" (a brain).\n"
    "The board is drawn after every move, X across the top and Y down the left, the last\n"
    "stones in upper case; after the engine's move, its score and line when it sent them. At\n"
    "the prompt type\n"
    "  X,Y      your stone (X Y works too)\n"
    "  hint     the deep search's best move for you, with its score and line\n"
    "  undo     take back your last move and the engine's answer to it\n"
    "  resign   give up the game\n"
    "  help     this list\n"
    "Five or more in a row wins (exactly five with --exact-five, and for x with --renju); an\n"
    "engine that answers late, wrongly or not at all loses.\n"
    "\n"
    "options:\n"
    "  --colour x|o      your colour; x moves first (default x)\n"
    "  --move-time MS    the engine's time per move (default 1000)\n"
    "  --tolerance MS    how long past its time the engine is waited for (default 500)\n"
    "  --board N         an N x N board, 15 to 20 (default 20); below 20 brains only\n"
    "  --exact-five      only exactly five in a row wins (a brain is told INFO rule 1)\n"
    "  --renju           renju (a brain only, told INFO rule 4): x wins by exactly five and may\n"
    "                    not play a three-three, four-four or overline; o wins by five or more\n"
    "  --record FILE     where the game is saved (default zarvo-play.txt), a record that\n"
    "                    'zarvo show' and 'zarvo match --replay' read\n"
    "\n"
    "exit status: 0 the game was played and saved, 1 the engine never made a move (nothing is\n"
    "saved) or the record could not be written, 2 bad usage\n";

constexpr std::string_view kHuman = "human";

struct TPlayArgs {
  std::string Engine;
  char Colour = 'x';
  int64_t MoveTimeMs = 1000;
  int64_t ToleranceMs = 500;
  std::string RecordPath = "zarvo-play.txt";
  int BoardSize = kBoardSize;
  bool ExactlyFive = false;
  bool Renju = false;
};

std::optional<std::string> ParseArgs(TArgs args, TPlayArgs& parsed, bool& help) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return std::nullopt;
    }
    if (!arg.starts_with("--")) {
      if (!parsed.Engine.empty()) return "one engine only";
      parsed.Engine = arg;
      continue;
    }
    if (arg == "--exact-five") {
      parsed.ExactlyFive = true;
      continue;
    }
    if (arg == "--renju") {
      parsed.Renju = true;
      continue;
    }
    if (arg != "--colour" && arg != "--move-time" && arg != "--tolerance" && arg != "--record" &&
        arg != "--board")
      return "unknown option '" + std::string(arg) + "'";
    if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
    const std::string_view value = args[++i];
    if (arg == "--colour") {
      if (value != "x" && value != "o")
        return "--colour takes x or o, not '" + std::string(value) + "'";
      parsed.Colour = value[0];
    } else if (arg == "--record") {
      if (value.empty()) return "--record needs a file name";
      parsed.RecordPath = value;
    } else if (arg == "--board") {
      const auto n = ParseNumber(value);
      if (!n || *n < deep::kMinBoardSize || *n > deep::kMaxBoardSize)
        return "--board takes 15 to 20, not '" + std::string(value) + "'";
      parsed.BoardSize = static_cast<int>(*n);
    } else {
      const auto n = ParseNumber(value);
      const int64_t least = arg == "--move-time" ? 1 : 0;
      if (!n || *n < least || *n > 86400000)
        return std::string(arg) + " takes a whole number from " + std::to_string(least) +
               " to 86400000, not '" + std::string(value) + "'";
      (arg == "--move-time" ? parsed.MoveTimeMs : parsed.ToleranceMs) = *n;
    }
  }
  if (parsed.Engine.empty()) return "no engine given (file:PATH or pipe:PATH)";
  // The move files hold a 20 x 20 board: a move-file engine cannot be told another.
  if (parsed.BoardSize != kBoardSize && parsed.Engine.starts_with("file:"))
    return "--board below 20 needs a brain engine (pipe:)";
  if (parsed.Renju && parsed.ExactlyFive)
    return "--renju and --exact-five are two rules: choose one";
  if (parsed.Renju && parsed.Engine.starts_with("file:"))
    return "--renju needs a brain engine (pipe:)";
  return std::nullopt;
}

// What the person typed: a square, or one of the words.
struct TInput {
  enum TKind { Square, Undo, Resign, Hint, Help, Bad } Kind = Bad;
  TSquare At;
};

TInput ReadInput(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.pop_back();
  line.erase(0, std::min(line.size(), line.find_first_not_of(" \t")));
  std::string lower = line;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "undo" || lower == "u") return {TInput::Undo, {}};
  if (lower == "resign") return {TInput::Resign, {}};
  if (lower == "hint") return {TInput::Hint, {}};
  if (lower == "help" || lower == "?") return {TInput::Help, {}};
  // "9 10" as well as "9,10".
  if (const auto blank = line.find_first_of(" \t");
      blank != std::string::npos && line.find(',') == std::string::npos)
    line = line.substr(0, blank) + "," + line.substr(line.find_first_not_of(" \t", blank));
  if (const auto square = ParseSquare(line)) return {TInput::Square, *square};
  return {TInput::Bad, {}};
}

// What a brain said of its move, from its MESSAGE lines as the deep search writes them
// ("depth 9 score 112 ... pv 9,10 10,11", "move 9,10 by search depth 9 score 112 ..."): its score
// and its line. The last line that has a score is the one the move was chosen by; another
// engine's last message is shown as it is.
std::optional<std::string> EngineView(const std::vector<std::string>& messages, char colour) {
  for (auto message = messages.rbegin(); message != messages.rend(); ++message) {
    std::istringstream words(*message);
    std::string word, score, depth, line;
    bool inLine = false;
    while (words >> word) {
      if (inLine) {
        line += ' ' + word;
      } else if (word == "score") {
        words >> score;
      } else if (word == "depth") {
        words >> depth;
      } else if (word == "pv") {
        inLine = true;
      }
    }
    if (score.empty()) continue;
    std::string view = "Engine's view: score " + score + " for " + std::string(1, colour);
    if (!depth.empty() && depth != "0") view += " at depth " + depth;
    // The final line has no variation; the iteration before it does.
    for (auto earlier = message; line.empty() && earlier != messages.rend(); ++earlier)
      if (const auto pv = earlier->find(" pv ");
          earlier->starts_with("depth ") && pv != std::string::npos)
        line = ' ' + earlier->substr(pv + 4);
    if (!line.empty()) view += "; line" + line;
    return view;
  }
  if (messages.empty()) return std::nullopt;
  return "Engine says: " + messages.back();
}

class TPlayGame {
 public:
  TPlayGame(const TPlayArgs& args, TPlayer& engine, std::istream& in, std::ostream& out)
      : args_(args), engine_(engine), in_(in), out_(out) {
    record_.XEngine = args.Colour == 'x' ? std::string(kHuman) : args.Engine;
    record_.OEngine = args.Colour == 'o' ? std::string(kHuman) : args.Engine;
    record_.BoardSize = args.BoardSize;
    record_.ExactlyFive = args.ExactlyFive;
    record_.Renju = args.Renju;
    engine_.NewGame();
  }

  // Set when the engine failed before its first move: it never started, and no game was played.
  const std::optional<std::string>& NeverStarted() const { return neverStarted_; }

  TGameRecord Play() {
    out_ << "You play " << args_.Colour << (args_.Colour == 'x' ? " (you move first)" : "")
         << " against " << args_.Engine << " on " << args_.BoardSize << " x " << args_.BoardSize
         << ", " << RuleName(args_.ExactlyFive, args_.Renju)
         << ". Type X,Y for a stone, hint, undo, resign or help.\n";
    for (;;) {
      const std::vector<TSquare> stones = record_.Stones();
      const TGameBoard board = BoardOf(stones, record_.BoardSize);
      if (board.Full()) return End(TOutcome::Draw, TEndReason::FullBoard, "no empty square left");
      const char colour = ColourOfStone(stones.size());
      if (colour == args_.Colour) {
        const TTurn turn = HumanMove(board);
        if (turn == TTurn::Ended) return record_;
        if (turn == TTurn::Undone) continue;
      } else if (!EngineMove(board)) {
        return record_;
      }
      if (neverStarted_) return record_;
      const TPlayedMove& last = record_.Moves.back();
      const std::vector<TSquare> five =
          FiveThrough(record_.FinalBoard(), last.Square,
                      record_.ExactlyFive || (record_.Renju && colour == 'x'));
      if (!five.empty()) {
        std::string detail;
        for (const TSquare& square : five) {
          if (!detail.empty()) detail += ' ';
          detail += SquareText(square);
        }
        Show();
        return End(colour == 'x' ? TOutcome::XWins : TOutcome::OWins, TEndReason::Five, detail);
      }
    }
  }

 private:
  TOutcome Win(char colour) const { return colour == 'x' ? TOutcome::XWins : TOutcome::OWins; }

  // Why the stone to play on the square is forbidden under renju (x's turn only); empty when
  // it is not.
  std::string_view Forbidden(const TGameBoard& board, TSquare square) const {
    const bool xToMove = ColourOfStone(record_.Stones().size()) == 'x';
    return args_.Renju && xToMove ? RenjuForbidden(board, square) : std::string_view{};
  }

  TGameRecord End(TOutcome outcome, TEndReason reason, std::string detail) {
    record_.Outcome = outcome;
    record_.Reason = reason;
    record_.Detail = std::move(detail);
    const bool humanWon = outcome == Win(args_.Colour);
    out_ << "\nGame over: " << OutcomeName(outcome) << " (" << ReasonName(reason)
         << (record_.Detail.empty() ? "" : ": " + record_.Detail) << ")"
         << (outcome == TOutcome::Draw ? ""
             : humanWon                ? ". You win!"
                                       : ". The engine wins.")
         << "\n";
    return record_;
  }

  void Show() {
    const std::vector<TSquare> stones = record_.Stones();
    std::vector<TSquare> marked;
    if (!stones.empty()) marked.push_back(stones.back());
    out_ << '\n';
    PrintBoard(out_, BoardOf(stones, record_.BoardSize), marked);
  }

  enum class TTurn { Moved, Undone, Ended };

  // Ended when the game ended on the person's word (or the end of the input).
  TTurn HumanMove(const TGameBoard& board) {
    Show();
    const auto asked = TClock::now();
    for (;;) {
      out_ << "Your move (" << args_.Colour << ", stone " << record_.Moves.size() + 1
           << "): " << std::flush;
      std::string line;
      if (!std::getline(in_, line)) {
        out_ << "\n";
        End(Win(OtherColour(args_.Colour)), TEndReason::Resigned, "the input ended");
        return TTurn::Ended;
      }
      const TInput input = ReadInput(line);
      switch (input.Kind) {
        case TInput::Square:
          if (!board.OnBoard(input.At)) {
            out_ << SquareText(input.At) << " is off the board; X and Y go from 0 to "
                 << board.Size() - 1 << ".\n";
            continue;
          }
          if (!board.IsEmpty(input.At)) {
            out_ << SquareText(input.At) << " is taken; choose an empty square.\n";
            continue;
          }
          if (const std::string_view forbidden = Forbidden(board, input.At); !forbidden.empty()) {
            out_ << SquareText(input.At) << " is forbidden to x under renju (" << forbidden
                 << "); choose another square.\n";
            continue;
          }
          record_.Moves.push_back({input.At, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 TClock::now() - asked)
                                                 .count()});
          return TTurn::Moved;
        case TInput::Undo: {
          // Back to the person's previous turn: the engine's answer and the person's move.
          const std::size_t back = record_.Moves.size() >= 2 ? 2 : 0;
          if (back == 0) {
            out_ << "Nothing to take back.\n";
            continue;
          }
          record_.Moves.resize(record_.Moves.size() - back);
          out_ << "Taken back.\n";
          return TTurn::Undone;
        }
        case TInput::Resign:
          End(Win(OtherColour(args_.Colour)), TEndReason::Resigned, "the human resigned");
          return TTurn::Ended;
        case TInput::Hint:
          Hint();
          continue;
        case TInput::Help:
          out_ << "X,Y (or X Y) places your stone, X across 0.." << board.Size() - 1
               << ", Y down 0.." << board.Size() - 1
               << "; hint asks the deep search for your best move; undo takes back your last\n"
                  "move and the answer; resign gives up.\n";
          continue;
        case TInput::Bad:
          out_ << "'" << line.substr(0, 40) << "' is no square: type X,Y with X and Y from 0 to "
               << board.Size() - 1 << ", or hint, undo, resign, help.\n";
          continue;
      }
    }
  }

  // False when the engine lost by its answer.
  bool EngineMove(const TGameBoard& board) {
    const std::vector<TSquare> stones = record_.Stones();
    const char colour = ColourOfStone(stones.size());
    out_ << "Engine thinking (" << colour << ", up to " << args_.MoveTimeMs << " ms)...\n"
         << std::flush;
    TMoveRequest request;
    request.Stones = stones;
    request.Colour = colour;
    request.MoveTimeMs = args_.MoveTimeMs;
    request.ToleranceMs = args_.ToleranceMs;
    request.BoardSize = args_.BoardSize;
    request.ExactlyFive = args_.ExactlyFive;
    request.Renju = args_.Renju;
    const TAnswer answer = engine_.Play(request);
    const TOutcome humanWins = Win(args_.Colour);
    const auto lost = [&](TEndReason reason, std::string detail) {
      // An engine that died or spoke no protocol before its first move never played: the
      // person has won nothing.
      const bool dead = reason == TEndReason::Crash || reason == TEndReason::NoAnswer ||
                        reason == TEndReason::BadAnswer || reason == TEndReason::Unknown ||
                        reason == TEndReason::EngineError;
      if (dead && !engineMoved_) {
        neverStarted_ = std::string(ReasonName(reason)) + ": " + detail;
        return false;
      }
      End(humanWins, reason, std::move(detail));
      return false;
    };
    if (const auto loss = LossOfAnswer(answer.Kind)) return lost(*loss, answer.Detail);
    if (answer.ElapsedMs > WaitLimitMs(request))
      return lost(TEndReason::Timeout,
                  "answered after " + std::to_string(answer.ElapsedMs) + " ms");
    if (!board.OnBoard(answer.Square))
      return lost(TEndReason::IllegalMove,
                  "answered " + SquareText(answer.Square) + ", off the board");
    if (!board.IsEmpty(answer.Square))
      return lost(TEndReason::IllegalMove,
                  "answered " + SquareText(answer.Square) + ", an occupied square");
    if (const std::string_view forbidden = Forbidden(board, answer.Square); !forbidden.empty())
      return lost(TEndReason::IllegalMove, "answered " + SquareText(answer.Square) + ": " +
                                               std::string(forbidden) +
                                               ", forbidden to x under renju");
    record_.Moves.push_back({answer.Square, answer.ElapsedMs});
    engineMoved_ = true;
    out_ << "Engine plays " << SquareText(answer.Square) << " (" << answer.ElapsedMs << " ms)\n";
    if (const auto view = EngineView(answer.Messages, colour)) out_ << *view << '\n';
    return true;
  }

  // The deep search's move for the person, thought about for the engine's time per move.
  void Hint() {
    std::string error;
    const auto position =
        PositionOfMoves(record_.Stones(), args_.BoardSize, args_.ExactlyFive, error);
    if (!position) {
      out_ << "No hint: " << error << ".\n";
      return;
    }
    out_ << "Thinking for you (up to " << args_.MoveTimeMs << " ms)...\n" << std::flush;
    if (!hintEngine_) hintEngine_ = std::make_unique<TDeepEngine>();
    TDeepPlayOptions options;
    options.Time = {args_.MoveTimeMs, args_.MoveTimeMs};
    options.Width = options.Height = args_.BoardSize;
    options.Rule = args_.Renju         ? deep::TRule::Renju
                   : args_.ExactlyFive ? deep::TRule::ExactlyFive
                                       : deep::TRule::Freestyle;
    deep::TSearchResult details;
    std::optional<deep::TSearchResult> result;
    if (hintEngine_->Play(position->Board, position->ToMove == 'x' ? kStoneX : kStoneO, options,
                          &details))
      result = std::move(details);
    out_ << "Hint: " << SummaryLine(position->ToMove, result, std::nullopt) << '\n';
    if (result && !result->Line.empty()) {
      out_ << "Line:";
      for (const deep::TSquareIndex square : result->Line) out_ << ' ' << SquareText(square);
      out_ << '\n';
    }
  }

  const TPlayArgs& args_;
  TPlayer& engine_;
  std::istream& in_;
  std::ostream& out_;
  TGameRecord record_;
  bool engineMoved_ = false;
  std::optional<std::string> neverStarted_;
  std::unique_ptr<TDeepEngine> hintEngine_;  // made at the first hint: its table is large
};

// What to tell the person when the engine never made a move. A program whose name does not
// begin with "pbrain" and that ended at once as a brain is most likely a move-file program.
std::string NeverStartedText(const std::string& engine, const std::string& why) {
  std::string text = "the engine never made a move (" + why + "); no game was played";
  std::string error;
  const auto entry = ParseEngineEntry(engine, error);
  if (entry && entry->Pipe && !entry->Program.filename().string().starts_with("pbrain"))
    text += ". If " + entry->Program.filename().string() +
            " reads Tah.dat and Plocha.dat, it is a move-file program: name it file:" +
            engine.substr(5);
  return text;
}

}  // namespace

int RunPlay(TArgs args, std::istream& in, std::ostream& out, std::ostream& err) {
  TPlayArgs parsed;
  bool help = false;
  if (const auto error = ParseArgs(args, parsed, help)) {
    err << "zarvo play: " << *error << " (see 'zarvo play --help')\n";
    return 2;
  }
  if (help) {
    out << kPlayUsage;
    return 0;
  }
  // Checked before the game, so a long game is not played for a file that cannot be written; a
  // file made only for the check goes again, so nothing is left behind when no game is played.
  {
    std::error_code fsError;
    const bool existed =
        std::filesystem::exists(std::filesystem::symlink_status(parsed.RecordPath, fsError));
    const bool writable = !!std::ofstream(parsed.RecordPath, std::ios::binary | std::ios::app);
    if (!existed) std::filesystem::remove(parsed.RecordPath, fsError);
    if (!writable) {
      err << "zarvo play: cannot write '" << parsed.RecordPath << "'\n";
      return 1;
    }
  }
  std::string error;
  TGameRecord record;
  try {
    const TScratchDir scratch;
    const auto engine = MakePlayer(parsed.Engine, scratch.Path(), error);
    if (!engine) {
      err << "zarvo play: " << error << '\n';
      return 2;
    }
    TPlayGame game(parsed, *engine, in, out);
    record = game.Play();
    if (game.NeverStarted()) {
      err << "zarvo play: " << NeverStartedText(parsed.Engine, *game.NeverStarted()) << '\n';
      return 1;
    }
  } catch (const std::exception& failure) {
    // No folder for the engine's files, say: nothing was played worth keeping.
    err << "zarvo play: " << failure.what() << '\n';
    return 1;
  }
  std::ofstream file(parsed.RecordPath, std::ios::binary | std::ios::trunc);
  file << RecordText(record);
  if (!file.flush()) {
    // The game is not lost: the record goes to the terminal instead.
    out << '\n' << RecordText(record);
    err << "zarvo play: cannot write '" << parsed.RecordPath << "'; the record is above\n";
    return 1;
  }
  out << "Game saved to " << parsed.RecordPath << " (zarvo show " << parsed.RecordPath
      << " -o game.svg draws it).\n";
  return 0;
}

}  // namespace zarvo::tool
