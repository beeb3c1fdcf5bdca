// zarvo show: a game record drawn as an SVG picture.
#include <fstream>
#include <optional>
#include <string>

#include "match/game_record.h"
#include "zarvo/commands.h"
#include "zarvo/record_file.h"
#include "zarvo/svg_board.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kShowUsage =
    "usage: zarvo show RECORD [-o FILE]\n"
    "\n"
    "Draws a game record (as 'zarvo match --records' and 'zarvo play' write them) as an SVG\n"
    "picture: the record's board with X across and Y down, every stone with its number in play\n"
    "order (opening stones with a dashed ring), the winning five by the record's rule crossed in\n"
    "red, the board, rule, engines and result below.\n"
    "\n"
    "options:\n"
    "  -o FILE   write the picture into FILE instead of standard output\n"
    "  --help    show this text\n"
    "\n"
    "exit status: 0 done, 1 RECORD unreadable or no record, or FILE not written, 2 bad usage\n";

}  // namespace

int RunShow(TArgs args, std::ostream& out, std::ostream& err) {
  std::optional<std::string> recordPath, outputPath;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kShowUsage;
      return 0;
    }
    if (arg == "-o" || arg == "--output") {
      if (i + 1 >= args.size()) {
        err << "zarvo show: " << arg << " needs a file name\n";
        return 2;
      }
      outputPath = std::string(args[++i]);
    } else if (arg.size() > 1 && arg.front() == '-') {
      err << "zarvo show: unknown option '" << arg << "' (see 'zarvo show --help')\n";
      return 2;
    } else if (recordPath) {
      err << "zarvo show: more than one record given\n";
      return 2;
    } else {
      recordPath = std::string(arg);
    }
  }
  if (!recordPath) {
    err << "zarvo show: no record given (see 'zarvo show --help')\n";
    return 2;
  }
  const auto record = ReadRecordFile(*recordPath, "show", err);
  if (!record) return 1;
  const std::string svg = GameSvg(*record);
  if (!outputPath) {
    out << svg;
    return 0;
  }
  std::ofstream file(*outputPath, std::ios::binary | std::ios::trunc);
  file << svg;
  if (!file.flush()) {
    err << "zarvo show: cannot write '" << *outputPath << "'\n";
    return 1;
  }
  return 0;
}

}  // namespace zarvo::tool
