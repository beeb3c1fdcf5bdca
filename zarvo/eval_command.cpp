// zarvo eval: the engine's evaluation of a working directory's board, as a picture for people or
// as JSON for programs.
#include <algorithm>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "board/line_eval.h"
#include "board/pattern_tables.h"
#include "board/threat_lists.h"
#include "driver/move_files.h"
#include "driver/zarvo_const.h"
#include "select/engine_state.h"
#include "select/move_selection.h"
#include "zarvo/commands.h"
#include "zarvo/svg_board.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kEvalUsage =
    "usage: zarvo eval [--json] DIR\n"
    "       zarvo eval --svg DIR\n"
    "\n"
    "Reads DIR/Tah.dat (the side to play) and DIR/Plocha.dat (the board) as the engine does,\n"
    "evaluates every square and prints:\n"
    "  - the board with, on each empty square, the best line class the side to play reaches there\n"
    "    (2 closed two, 3 open two, 4 closed three, 5 open three, 6 four, 7 open four, 8 five;\n"
    "    '.' one or none);\n"
    "  - the board with the move value of each empty square for the side to play\n"
    "    (3 x its own line sum + 2 x the opponent's);\n"
    "  - the squares where either side makes a five, an open four or a four.\n"
    "\n"
    "options:\n"
    "  --json    print one JSON object instead: own stone, stone count, all 400 cells (X outer,\n"
    "            Y inner) and the six threat lists; slot 0 is the side to play\n"
    "  --svg     print an SVG heat map of the move values for the side to play instead\n"
    "  --help    show this text\n"
    "\n"
    "exit status: 0 done, 1 DIR, Tah.dat or Plocha.dat missing or unreadable, 2 bad usage\n";

struct TEvalArgs {
  bool Help = false;
  bool Json = false;
  bool Svg = false;
  std::optional<std::string> Dir;
};

// Parses the arguments; an error message when they make no sense.
std::optional<std::string> ParseArgs(TArgs args, TEvalArgs& parsed) {
  bool optionsEnded = false;
  for (const std::string_view arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      parsed.Help = true;
    } else if (!optionsEnded && arg == "--json") {
      parsed.Json = true;
    } else if (!optionsEnded && arg == "--svg") {
      parsed.Svg = true;
    } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
      return "unknown option '" + std::string(arg) + "'";
    } else if (parsed.Dir) {
      return "more than one directory given";
    } else {
      parsed.Dir = std::string(arg);
    }
  }
  if (!parsed.Help && !parsed.Dir) return "no directory given";
  if (parsed.Json && parsed.Svg) return "--json and --svg exclude each other";
  return std::nullopt;
}

char StoneChar(uint8_t stone) {
  return stone == kStoneX ? 'x' : stone == kStoneO ? 'o' : '.';
}

// Who a slot stands for. With "-" in the move file every stone is the engine's own, so slot 1 has
// no stones at all.
std::string SlotName(const TSideMaps& sides, int slot) {
  if (sides.OwnStone == kEmpty) return slot == 0 ? "both colours" : "nobody";
  return std::string(1, StoneChar(sides.StoneOfSlot[slot]));
}

// Prints a 20 x 20 grid, X across and Y down, each square drawn by `draw` right-aligned in
// `width` characters.
template <typename TDraw>
void PrintGrid(std::ostream& out, int width, TDraw draw) {
  out << "   ";
  for (int x = 0; x < kBoardSize; ++x) out << std::setw(width) << x;
  out << '\n';
  for (int y = 0; y < kBoardSize; ++y) {
    out << std::setw(3) << y;
    for (int x = 0; x < kBoardSize; ++x) out << std::setw(width) << draw(x, y);
    out << '\n';
  }
}

std::string SquareText(const TXYList& list) {
  if (list.Empty()) return "-";
  std::ostringstream text;
  for (const TSquare* item : list) {
    if (text.tellp() > 0) text << ' ';
    text << '(' << int{item->X} << ',' << int{item->Y} << ')';
  }
  return text.str();
}

// The level-1 candidates as the move search ranks them before it searches them.
void PrintCandidates(std::ostream& out, const TEngineState& state, const TCandidateList& list) {
  out << "\nLevel-1 candidates for " << SlotName(state.Sides, 0)
      << " in the order the search tries them (value; class own/opponent)\n";
  int shown = 0;
  for (int k = 0; k < kCandidateSlots; ++k) {
    const TCell& cell = list[k];
    if (cell.Value[0] == kUnfilledMark) continue;
    std::ostringstream square;
    square << '(' << int{cell.X} << ',' << int{cell.Y} << ')';
    out << "  " << std::setw(2) << k + 1 << ". " << std::left << std::setw(8) << square.str()
        << std::right << std::setw(8) << cell.Value[0] << "  " << int{cell.TopClass[0]} << '/'
        << int{cell.TopClass[1]} << '\n';
    ++shown;
  }
  if (shown == 0) out << "  -\n";
}

void PrintPicture(std::ostream& out, const std::string& dir, const TEngineState& state,
                  const TPosition& position, const TThreatLists& lists) {
  const std::string toPlay = SlotName(state.Sides, 0);
  out << "Position " << dir << ": " << state.StoneCount << " stones, " << toPlay << " to play\n\n";

  out << "Best class for " << toPlay
      << " (x, o stones; 2..8 class of an empty square; . one or none)\n";
  PrintGrid(out, 3, [&](int x, int y) -> char {
    const TCell& cell = position.Cell(x, y);
    if (cell.Stone != kEmpty) return StoneChar(cell.Stone);
    // A lone stone is what every open square offers; only shapes of two and more stand out.
    return cell.TopClass[0] <= kClassOne ? '.' : static_cast<char>('0' + cell.TopClass[0]);
  });

  // As narrow as the widest value allows, so a quiet board fits a terminal.
  std::size_t widest = 1;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (position.Cell(x, y).Stone == kEmpty)
        widest = std::max(widest, std::to_string(position.Cell(x, y).Value[0]).size());
  out << "\nMove value for " << toPlay << " (3 x own line sum + 2 x opponent's)\n";
  PrintGrid(out, static_cast<int>(std::max<std::size_t>(widest, 2) + 1),
            [&](int x, int y) -> std::string {
              const TCell& cell = position.Cell(x, y);
              if (cell.Stone != kEmpty) return std::string(1, StoneChar(cell.Stone));
              return std::to_string(cell.Value[0]);
            });

  out << "\nThreat squares (X,Y) in list order\n";
  const struct {
    const char* Name;
    const std::array<TXYList, 2>& Lists;
  } rows[] = {{"five     ", lists.FiveSquares},
              {"open four", lists.OpenFourSquares},
              {"four     ", lists.FourSquares}};
  for (const auto& row : rows)
    for (int slot = 0; slot < 2; ++slot)
      out << "  " << row.Name << "  " << SlotName(state.Sides, slot) << ": "
          << SquareText(row.Lists[slot]) << '\n';
}

template <typename T, std::size_t N>
void JsonArray(std::ostream& out, const std::array<T, N>& values) {
  out << '[';
  for (std::size_t i = 0; i < N; ++i) out << (i ? ", " : "") << int64_t{values[i]};
  out << ']';
}

void JsonSquares(std::ostream& out, const TXYList& list) {
  out << '[';
  bool first = true;
  for (const TSquare* item : list) {
    out << (first ? "" : ", ") << '[' << int{item->X} << ", " << int{item->Y} << ']';
    first = false;
  }
  out << ']';
}

void JsonListPair(std::ostream& out, const std::array<TXYList, 2>& lists) {
  out << '[';
  JsonSquares(out, lists[0]);
  out << ", ";
  JsonSquares(out, lists[1]);
  out << ']';
}

void PrintJson(std::ostream& out, const TEngineState& state, const TPosition& position,
               const TThreatLists& lists) {
  out << "{\"own\": " << int{state.Sides.OwnStone} << ", \"stones\": " << state.StoneCount
      << ", \"cells\": [";
  for (int x = 0; x < kBoardSize; ++x) {
    for (int y = 0; y < kBoardSize; ++y) {
      const TCell& cell = position.Cell(x, y);
      out << (x == 0 && y == 0 ? "" : ", ") << "{\"x\": " << x << ", \"y\": " << y
          << ", \"stone\": " << int{cell.Stone} << ", \"value\": ";
      JsonArray(out, cell.Value);
      out << ", \"linesum\": ";
      JsonArray(out, cell.LineSum);
      out << ", \"top\": ";
      JsonArray(out, cell.TopClass);
      out << ", \"dir\": ";
      JsonArray(out, cell.DirClass);
      out << '}';
    }
  }
  out << "], \"lists\": {\"five\": ";
  JsonListPair(out, lists.FiveSquares);
  out << ", \"openfour\": ";
  JsonListPair(out, lists.OpenFourSquares);
  out << ", \"four\": ";
  JsonListPair(out, lists.FourSquares);
  out << "}}\n";
}

}  // namespace

int RunEval(TArgs args, std::ostream& out, std::ostream& err) {
  TEvalArgs parsed;
  if (const auto error = ParseArgs(args, parsed)) {
    err << "zarvo eval: " << *error << " (see 'zarvo eval --help')\n";
    return 2;
  }
  if (parsed.Help) {
    out << kEvalUsage;
    return 0;
  }

  TEngineState state;
  state.WorkDir = *parsed.Dir;
  std::error_code error;
  if (!std::filesystem::is_directory(state.WorkDir, error)) {
    err << "zarvo eval: '" << *parsed.Dir << "' is not a directory\n";
    return 1;
  }
  TPosition position{};
  std::filesystem::path unreadable;
  if (!ReadMoveFiles(state, position, &unreadable)) {
    err << "zarvo eval: cannot read '" << unreadable.string() << "'\n";
    return 1;
  }
  BuildPairClass();
  TThreatLists lists;
  RescanAll(position, &lists);

  if (parsed.Json) {
    PrintJson(out, state, position, lists);
    return 0;
  }
  if (parsed.Svg) {
    THeatMap map;
    for (int x = 0; x < kBoardSize; ++x) {
      for (int y = 0; y < kBoardSize; ++y) {
        const TCell& cell = position.Cell(x, y);
        map.Rows[y] += cell.Stone == kEmpty ? '.' : StoneChar(cell.Stone);
        map.Values[x][y] = cell.Value[0];
      }
    }
    map.Title = "Move values for " + SlotName(state.Sides, 0) + " (3 x own line sum + 2 x " +
                "opponent's), " + std::to_string(state.StoneCount) + " stones";
    out << HeatMapSvg(map);
    return 0;
  }
  PrintPicture(out, *parsed.Dir, state, position, lists);
  const auto context = std::make_unique<TMoveContext>();
  context->W = position;
  state.Search.Lists = &lists;
  PrepareLevelOne(state, *context);
  state.Search.Lists = nullptr;
  PrintCandidates(out, state, context->LevelCandidates[1]);
  return 0;
}

}  // namespace zarvo::tool
