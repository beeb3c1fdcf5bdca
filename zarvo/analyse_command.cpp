// zarvo analyse: the deep search on the board of a working directory, one line per finished
// iteration, then the move; optionally its principal variation drawn on the board.
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "driver/deep_engine.h"
#include "driver/move_files.h"
#include "driver/zarvo_const.h"
#include "match/game_record.h"
#include "zarvo/commands.h"
#include "zarvo/svg_board.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kAnalyseUsage =
    "usage: zarvo analyse DIR [--time MS] [--depth N] [--svg FILE]\n"
    "\n"
    "Reads DIR/Tah.dat (the side to play) and DIR/Plocha.dat (the board) as Zarvo2 does and\n"
    "thinks with the deep search, printing a line for every finished iteration (depth, score,\n"
    "nodes, nodes per second, milliseconds and the principal variation), then 'move X,Y'.\n"
    "Scores are from the side to play's view; beyond 19000 a forced win, below -19000 a loss.\n"
    "Nothing in DIR is changed.\n"
    "\n"
    "  --time MS    thinking time (default 1000)\n"
    "  --depth N    stop after this iteration (1..40)\n"
    "  --svg FILE   draw the board with the principal variation numbered in play order\n"
    "\n"
    "exit status: 0 done, 1 DIR, Tah.dat or Plocha.dat unreadable or FILE not written, 2 bad\n"
    "usage\n";

}  // namespace

int RunAnalyse(TArgs args, std::ostream& out, std::ostream& err) {
  std::optional<std::string> dir;
  int64_t timeMs = 1000;
  std::optional<int> depth;
  std::optional<std::string> svgPath;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kAnalyseUsage;
      return 0;
    }
    if (arg == "--time" || arg == "--depth" || arg == "--svg") {
      if (i + 1 >= args.size()) {
        err << "zarvo analyse: " << arg << " needs a value\n";
        return 2;
      }
      const std::string_view value = args[++i];
      if (arg == "--svg") {
        svgPath = std::string(value);
        continue;
      }
      const auto number = ParseNumber(value);
      const int64_t low = 1, high = arg == "--time" ? 3'600'000 : 40;
      if (!number || *number < low || *number > high) {
        err << "zarvo analyse: " << arg << " takes a whole number from " << low << " to " << high
            << ", not '" << value << "'\n";
        return 2;
      }
      if (arg == "--time")
        timeMs = *number;
      else
        depth = static_cast<int>(*number);
      continue;
    }
    if (arg.starts_with("-") || dir) {
      err << "zarvo analyse: unexpected argument '" << arg << "' (see 'zarvo analyse --help')\n";
      return 2;
    }
    dir = std::string(arg);
  }
  if (!dir) {
    err << "zarvo analyse: no working directory given (see 'zarvo analyse --help')\n";
    return 2;
  }

  // 1. The exchange files, read as Zarvo2 reads them.
  const std::filesystem::path folder(*dir);
  std::filesystem::path unreadable;
  const auto position = ReadFolderPosition(folder, &unreadable);
  if (!position) {
    err << "zarvo analyse: cannot read " << unreadable << "\n";
    return 1;
  }
  const int side = position->Side;
  const TBoardText& board = position->Board;

  // 2. The search, a line per iteration.
  TDeepEngine engine;
  TDeepPlayOptions options;
  options.Time = {timeMs, timeMs};
  options.MaxDepth = depth;
  options.OnIteration = [&out](const deep::TIterationInfo& info) {
    out << IterationText(info) << '\n' << std::flush;
  };
  deep::TSearchResult result;
  const auto move = engine.Play(board, side, options, &result);
  if (!move) {
    out << "no move: the board is full\n";
    return 0;
  }
  if (result.Depth == 0) out << "decided before the search: " << result.Reason << '\n';
  out << MoveText(result) << '\n';

  // 3. The picture: the board's stones as the opening, the line as numbered moves.
  if (svgPath) {
    match::TGameRecord record;
    record.XEngine = "analyse " + *dir;
    record.OEngine = std::to_string(timeMs) + " ms, depth " + std::to_string(result.Depth) +
                     ", score " + std::to_string(result.Score);
    for (int y = 0; y < board.RowCount; ++y)
      for (int x = 0; x < static_cast<int>(board.Rows[y].size()); ++x)
        if (board.Rows[y][x] == 'x' || board.Rows[y][x] == 'o') record.Opening.push_back({x, y});
    std::vector<deep::TSquareIndex> line = result.Line;
    if (line.empty()) line.push_back(deep::SquareAt(move->X, move->Y));
    for (deep::TSquareIndex square : line)
      record.Moves.push_back({{deep::SquareX(square), deep::SquareY(square)}, 0});
    record.Detail = "principal variation";
    std::ofstream svg(*svgPath, std::ios::binary | std::ios::trunc);
    svg << GameSvg(record);
    if (!svg.flush()) {
      err << "zarvo analyse: cannot write '" << *svgPath << "'\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace zarvo::tool
