// zarvo analyse: the deep search on a position (a working folder, a list of moves, or a record
// before one of its stones), a line or a JSON object per finished iteration, one summary line at
// the end; optionally the position with the principal variation drawn as SVG.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "board/stones.h"
#include "deep/rules.h"
#include "driver/deep_engine.h"
#include "driver/move_files.h"
#include "match/game_rules.h"
#include "zarvo/analysis_position.h"
#include "zarvo/analysis_text.h"
#include "zarvo/commands.h"
#include "zarvo/record_file.h"
#include "zarvo/svg_board.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kAnalyseUsage =
    "usage: zarvo analyse DIR [options]\n"
    "       zarvo analyse --moves \"X,Y X,Y ...\" [--board N] [--exact-five] [options]\n"
    "       zarvo analyse --record FILE [--move N] [options]\n"
    "\n"
    "Thinks with the deep search about a position: DIR/Tah.dat (the side to play) and\n"
    "DIR/Plocha.dat (the board) read as Zarvo2 reads them; or the stones of --moves in play\n"
    "order, x first, X across and Y down; or a game record before its stone N (default: the\n"
    "final position), on the record's board and by its rule. Prints a line for every finished\n"
    "iteration (depth, score, nodes, nodes per second, milliseconds, principal variation) and\n"
    "ends with one summary line: the best move, its score, depth, nodes and time, and who wins\n"
    "in how many plies when the search proved it.\n"
    "\n"
    "Scores are for the side to move, in the evaluation's units (about 550 read as odds of e\n"
    "to 1); beyond 19000 a win in 20000 - score plies, below -19000 a loss. Odd depths end on\n"
    "a move of the side to move and even depths on its opponent's, so the score swings between\n"
    "them: compare depths of one parity, or read the average of the last two the summary gives.\n"
    "Nothing in DIR is changed.\n"
    "\n"
    "  --time MS       thinking time (default 1000)\n"
    "  --depth N       stop after this iteration (1..40)\n"
    "  --threads N     search with N threads (default 1, at most the machine's cores)\n"
    "  --board N       with DIR or --moves: an N x N board, 15 to 20 (default 20)\n"
    "  --exact-five    with DIR or --moves: only exactly five in a row wins\n"
    "  --move N        with --record: the position before stone N (1 is the empty board)\n"
    "  --json          one JSON object a line: one per iteration, then the result; the summary\n"
    "                  line goes to standard error\n"
    "  --svg FILE      draw the position, its stones in their colours, the principal variation\n"
    "                  numbered from the side to move's stone 1, and a caption\n"
    "\n"
    "exit status: 0 done, 1 DIR, Tah.dat, Plocha.dat or the record unreadable, a position that\n"
    "does not fit its board or is already won, or FILE not written; 2 bad usage\n";

struct TAnalyseArgs {
  std::optional<std::string> Dir, Moves, Record;
  std::optional<int64_t> Move;
  int64_t TimeMs = 1000;
  std::optional<int> Depth;
  int Threads = 1;
  std::optional<int> Board;
  bool ExactlyFive = false;
  bool Json = false;
  std::optional<std::string> SvgPath;
};

std::optional<std::string> ParseArgs(TArgs args, TAnalyseArgs& parsed, bool& help) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return std::nullopt;
    }
    if (arg == "--json" || arg == "--exact-five") {
      (arg == "--json" ? parsed.Json : parsed.ExactlyFive) = true;
      continue;
    }
    const bool text = arg == "--svg" || arg == "--moves" || arg == "--record";
    const bool number = arg == "--time" || arg == "--depth" || arg == "--board" ||
                        arg == "--move" || arg == "--threads";
    if (text || number) {
      if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
      const std::string_view value = args[++i];
      if (arg == "--svg") parsed.SvgPath = std::string(value);
      if (arg == "--moves") parsed.Moves = std::string(value);
      if (arg == "--record") parsed.Record = std::string(value);
      if (text) continue;
      const auto n = ParseNumber(value);
      const int64_t low = arg == "--board" ? deep::kMinBoardSize : 1;
      const int64_t high = arg == "--time"      ? 3'600'000
                           : arg == "--board"   ? deep::kMaxBoardSize
                           : arg == "--move"    ? kBoardSize * kBoardSize + 1
                           : arg == "--threads" ? deep::TDeepSearch::kMaxThreads
                                                : 40;
      if (!n || *n < low || *n > high)
        return std::string(arg) + " takes a whole number from " + std::to_string(low) + " to " +
               std::to_string(high) + ", not '" + std::string(value) + "'";
      if (arg == "--time") parsed.TimeMs = *n;
      if (arg == "--depth") parsed.Depth = static_cast<int>(*n);
      if (arg == "--board") parsed.Board = static_cast<int>(*n);
      if (arg == "--move") parsed.Move = *n;
      if (arg == "--threads") parsed.Threads = UsableThreads(*n);
      continue;
    }
    if (arg.starts_with("-") || parsed.Dir) return "unexpected argument '" + std::string(arg) + "'";
    parsed.Dir = std::string(arg);
  }
  const int sources = !!parsed.Dir + !!parsed.Moves + !!parsed.Record;
  if (sources == 0) return "no position given: DIR, --moves or --record";
  if (sources > 1) return "one position only: DIR, --moves or --record";
  if (parsed.Move && !parsed.Record) return "--move goes with --record";
  if (parsed.Record && (parsed.Board || parsed.ExactlyFive))
    return "--board and --exact-five do not go with --record: the record says its board and "
           "rule";
  return std::nullopt;
}

// "9,9 10,10 ...": squares X,Y separated by blanks.
std::optional<std::vector<TSquare>> ParseMoveList(std::string_view text, std::string& error) {
  std::vector<TSquare> stones;
  for (std::size_t start = text.find_first_not_of(" \t"); start != std::string_view::npos;
       start = text.find_first_not_of(" \t", start)) {
    const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
    const std::string_view word = text.substr(start, end - start);
    start = end;
    const auto square = match::ParseCoordinates(word);
    if (!square) {
      error.assign("'").append(word.substr(0, 20)).append("' in --moves is no square X,Y");
      return std::nullopt;
    }
    stones.push_back(*square);
  }
  return stones;
}

std::string BoardName(const TAnalysisPosition& position) {
  return std::to_string(position.BoardSize) + " x " + std::to_string(position.BoardSize) + ", " +
         std::string(match::RuleName(position.ExactlyFive, position.Renju));
}

}  // namespace

int RunAnalyse(TArgs args, std::ostream& out, std::ostream& err) {
  TAnalyseArgs parsed;
  bool help = false;
  if (const auto error = ParseArgs(args, parsed, help)) {
    err << "zarvo analyse: " << *error << " (see 'zarvo analyse --help')\n";
    return 2;
  }
  if (help) {
    out << kAnalyseUsage;
    return 0;
  }

  // 1. The position, from whichever source was given.
  std::string error;
  std::optional<TAnalysisPosition> position;
  const int boardSize = parsed.Board.value_or(kBoardSize);
  if (parsed.Dir) {
    std::filesystem::path unreadable;
    const auto folder = ReadFolderPosition(*parsed.Dir, &unreadable);
    if (!folder) {
      err << "zarvo analyse: cannot read " << unreadable << "\n";
      return 1;
    }
    position =
        PositionOfBoardText(folder->Board, folder->Side, boardSize, parsed.ExactlyFive, error);
    if (position) position->Source = "the board of " + *parsed.Dir;
  } else if (parsed.Moves) {
    const auto stones = ParseMoveList(*parsed.Moves, error);
    if (!stones) {
      err << "zarvo analyse: " << error << '\n';
      return 2;
    }
    position = PositionOfMoves(*stones, boardSize, parsed.ExactlyFive, error);
  } else {
    const auto record = ReadRecordFile(*parsed.Record, "analyse", err);
    if (!record) return 1;
    const std::size_t stone =
        parsed.Move ? static_cast<std::size_t>(*parsed.Move) : record->Stones().size() + 1;
    position = PositionOfRecord(*record, stone, error);
  }
  if (!position) {
    err << "zarvo analyse: " << error << '\n';
    return 1;
  }

  // 2. The search, a line per iteration.
  TDeepEngine engine;
  engine.SetThreads(parsed.Threads);
  engine.NewGame();
  TDeepPlayOptions options;
  options.Time = {parsed.TimeMs, parsed.TimeMs};
  options.MaxDepth = parsed.Depth;
  options.Width = options.Height = position->BoardSize;
  options.Rule = position->Renju         ? deep::TRule::Renju
                 : position->ExactlyFive ? deep::TRule::ExactlyFive
                                         : deep::TRule::Freestyle;
  std::vector<deep::TIterationInfo> iterations;
  options.OnIteration = [&](const deep::TIterationInfo& info) {
    out << (parsed.Json ? IterationJson(info) : IterationText(info)) << '\n' << std::flush;
    iterations.push_back(info);
  };
  deep::TSearchResult details;
  std::optional<deep::TSearchResult> result;
  if (engine.Play(position->Board, position->ToMove == 'x' ? kStoneX : kStoneO, options, &details))
    result = std::move(details);
  std::optional<int> previousScore;
  if (result && iterations.size() >= 2 && iterations.back().Depth == result->Depth &&
      iterations[iterations.size() - 2].Depth == result->Depth - 1)
    previousScore = iterations[iterations.size() - 2].Score;
  const std::string summary = SummaryLine(position->ToMove, result, previousScore);
  if (parsed.Json) {
    out << ResultJson(position->ToMove, result) << '\n';
    err << summary << '\n';
  } else {
    out << summary << '\n';
  }

  // 3. The picture: the position as it stands, the principal variation numbered from it.
  if (parsed.SvgPath) {
    TPositionPicture picture;
    picture.BoardSize = position->BoardSize;
    picture.Rows = position->Board.Rows;
    picture.ToMove = position->ToMove;
    if (result) {
      std::vector<deep::TSquareIndex> line = result->Line;
      if (line.empty() || line.front() != result->Move) line.assign(1, result->Move);
      for (const deep::TSquareIndex square : line)
        picture.Line.push_back({deep::SquareX(square), deep::SquareY(square)});
    }
    picture.Caption.push_back(std::string(1, position->ToMove) + " to move (" +
                              std::string(position->ToMove == 'x' ? "black" : "white") + "), " +
                              BoardName(*position) + "; " + position->Source);
    picture.Caption.push_back(summary);
    picture.Caption.push_back(result ? "Numbered: the principal variation, 1 the best move (blue "
                                       "ring)"
                                     : "No move: the board is full");
    std::ofstream svg(*parsed.SvgPath, std::ios::binary | std::ios::trunc);
    svg << PositionSvg(picture);
    if (!svg.flush()) {
      err << "zarvo analyse: cannot write '" << *parsed.SvgPath << "'\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace zarvo::tool
