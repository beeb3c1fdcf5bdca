// zarvo book: build opening books from text, print them, and show what they answer to a board.
#include <filesystem>
#include <fstream>
#include <new>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "base/decimal_text.h"
#include "book/book_builder.h"
#include "book/book_probe.h"
#include "book/opennings.h"
#include "driver/engine_config.h"
#include "driver/move_files.h"
#include "zarvo/book_text.h"
#include "zarvo/commands.h"
#include "zarvo/input_file.h"

namespace zarvo::tool {
namespace {

// " entry" or " entries", after a count.
std::string Entries(int64_t count) {
  return count == 1 ? " entry" : " entries";
}

constexpr std::string_view kBookUsage =
    "usage: zarvo book build [--out BASE] TEXTFILE...\n"
    "       zarvo book dump FILE\n"
    "       zarvo book probe DIR [--program PATH | --book BASE]\n"
    "\n"
    "'zarvo book SUBCOMMAND --help' explains a subcommand.\n";

constexpr std::string_view kBuildUsage =
    "usage: zarvo book build [--out BASE] TEXTFILE...\n"
    "\n"
    "Writes the opening books BASE.ob1 (positions with an even number of stones) and BASE.ob2\n"
    "(odd) from text files; BASE is Zarvo unless given. Each line of a text file is one\n"
    "position:\n"
    "\n"
    "  MOVE MOVE ... : REPLY PLUS MINUS\n"
    "\n"
    "MOVE and REPLY are squares X,Y (0..19, X the character position in a line of Plocha.dat,\n"
    "Y the line number); the moves are a game in play order, the reply is the move for the side\n"
    "to move next. PLUS and MINUS are the reply's counters (0..4294967295). Text after '#' is a\n"
    "comment; blank lines are skipped. The same position with the same reply given again adds\n"
    "its counters (stopping at 4294967295).\n"
    "\n"
    "Exit status: 0 written, 1 a file cannot be read or written or a line is wrong, 2 bad usage.\n";

constexpr std::string_view kDumpUsage =
    "usage: zarvo book dump FILE\n"
    "\n"
    "Prints the entries of a book file in file order, one line each, in the book's window\n"
    "frame:\n"
    "\n"
    "  N: stones T extent EX,EY own X,Y ... opp X,Y ... reply X,Y plus P minus M\n"
    "\n"
    "Exit status: 0 read completely, 1 unreadable or malformed (the entries before the fault\n"
    "are printed), 2 bad usage.\n";

constexpr std::string_view kProbeUsage =
    "usage: zarvo book probe DIR [--program PATH | --book BASE]\n"
    "\n"
    "Reads the board of working directory DIR (Tah.dat, Plocha.dat) and shows which entries of\n"
    "the book the engine would read there match it under the eight symmetries, and which\n"
    "squares and counters they give, in the order the engine applies them.\n"
    "\n"
    "  --program PATH  the engine's program path as its manager starts it in DIR: the book is\n"
    "                  the one the engine derives from it, named on its own line (default\n"
    "                  Zarvo2, found on the PATH: DIR/Zarvo.ob1 or DIR/Zarvo.ob2)\n"
    "  --book BASE     the book BASE.ob1 (an even number of stones) or BASE.ob2 (odd) instead\n"
    "\n"
    "Exit status: 0 probed (with or without a match), 1 the board or the book cannot be read,\n"
    "2 bad usage.\n";

bool IsHelp(std::string_view arg) {
  return arg == "--help" || arg == "-h";
}

int BadUsage(std::ostream& err, std::string_view what, std::string_view subcommand) {
  err << "zarvo book" << (subcommand.empty() ? "" : " ") << subcommand << ": " << what
      << " (see 'zarvo book" << (subcommand.empty() ? "" : " ") << subcommand << " --help')\n";
  return 2;
}

// ---------------------------------------------------------------------------------------------
// Printing

void PrintList(std::ostream& out, const TOPlayerMoves& list) {
  if (list.Count() == 0) out << " -";
  for (int32_t i = 0; i < list.Count(); ++i) {
    out << ' ' << int{list.Get(i).X} << ',' << int{list.Get(i).Y};
  }
}

void PrintEntry(std::ostream& out, const TOpenning& entry) {
  out << "stones " << int{entry.StoneTotal} << " extent " << int{entry.ExtentX} << ','
      << int{entry.ExtentY} << " own";
  PrintList(out, entry.OwnMoves);
  out << " opp";
  PrintList(out, entry.OppMoves);
  out << " reply " << int{entry.ReplyX} << ',' << int{entry.ReplyY} << " plus " << entry.PlusCount
      << " minus " << entry.MinusCount;
}

// ---------------------------------------------------------------------------------------------
// Subcommands

int RunBuild(TArgs args, std::ostream& out, std::ostream& err) {
  std::string base = "Zarvo";
  std::vector<std::string> inputs;
  for (size_t i = 0; i < args.size(); ++i) {
    if (IsHelp(args[i])) {
      out << kBuildUsage;
      return 0;
    }
    if (args[i] == "--out") {
      if (i + 1 >= args.size()) return BadUsage(err, "--out needs a BASE", "build");
      base = std::string(args[++i]);
    } else if (args[i].starts_with("-") && args[i] != "-") {
      return BadUsage(err, "unknown option '" + std::string(args[i]) + "'", "build");
    } else {
      inputs.emplace_back(args[i]);
    }
  }
  if (inputs.empty()) return BadUsage(err, "no TEXTFILE given", "build");
  if (base.empty()) return BadUsage(err, "BASE must not be empty", "build");

  TBookBuilder builder;
  for (const std::string& input : inputs) {
    auto text = ReadInput(input, kBookTextInput, "book build", err);
    if (!text) return 1;
    std::istringstream in(std::move(*text));
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
      std::string problem;
      std::optional<TBookPosition> position = ParseBookLine(line, problem);
      if (position) {
        if (auto rejected = builder.Add(*position)) problem = *rejected;
      }
      if (!problem.empty()) {
        err << "zarvo book build: " << input << ':' << lineNumber << ": " << problem << '\n';
        return 1;
      }
    }
    // A line read from memory fails only for want of memory; the stream swallows that, and the
    // books would be written from half the text.
    if (in.bad()) throw std::bad_alloc();
  }

  for (int parity = 0; parity < 2; ++parity) {
    const std::string name = BookFileName(base, parity);
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    const std::string bytes = builder.Encode(parity);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      err << "zarvo book build: cannot write '" << name << "'\n";
      return 1;
    }
    out << name << ": " << builder.EntryCount(parity) << Entries(builder.EntryCount(parity))
        << '\n';
  }
  if (builder.MergedCount() > 0) {
    out << builder.MergedCount()
        << (builder.MergedCount() == 1 ? " repeated position merged into its entry\n"
                                       : " repeated positions merged into their entries\n");
  }
  return 0;
}

int RunDump(TArgs args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && IsHelp(args[0])) {
    out << kDumpUsage;
    return 0;
  }
  if (args.size() != 1) return BadUsage(err, "expects exactly one FILE", "dump");
  const std::string name(args[0]);
  const auto bytes = ReadInput(name, kBookFileInput, "book dump", err);
  if (!bytes) return 1;
  // Even an empty book holds its entry count; an empty file is no book at all.
  if (bytes->empty()) {
    err << "zarvo book dump: " << name << ": no book: the file is empty\n";
    return 1;
  }
  const TBookFile file =
      ReadBookBytes(std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
  // The engine reads a count of 2^31 or more as an empty book; a file written by 'book build'
  // never holds one, so it is junk and not an empty book.
  if (file.DeclaredCount < 0) {
    err << "zarvo book dump: " << name << ": no book: its entry count field reads "
        << static_cast<uint32_t>(file.DeclaredCount) << ", more than a book can hold\n";
    return 1;
  }
  out << name << ": " << file.Entries.size() << Entries(file.Entries.size()) << '\n';
  for (size_t i = 0; i < file.Entries.size(); ++i) {
    out << i + 1 << ": ";
    PrintEntry(out, *file.Entries[i]);
    out << '\n';
  }
  if (file.Status != TBookLoadStatus::Complete) {
    err << "zarvo book dump: " << name << ": stops after " << file.Entries.size() << " of "
        << file.DeclaredCount << Entries(file.DeclaredCount) << ": "
        << DescribeLoadStatus(file.Status) << '\n';
    return 1;
  }
  if (file.TrailingBytes > 0) {
    err << "zarvo book dump: " << name << ": " << file.TrailingBytes << " bytes of junk after its "
        << (file.Entries.empty() ? "entry count" : "last entry") << '\n';
    return 1;
  }
  return 0;
}

int RunProbe(TArgs args, std::ostream& out, std::ostream& err) {
  std::string dir;
  std::optional<std::string> base, program;
  for (size_t i = 0; i < args.size(); ++i) {
    if (IsHelp(args[i])) {
      out << kProbeUsage;
      return 0;
    }
    if (args[i] == "--book") {
      if (i + 1 >= args.size()) return BadUsage(err, "--book needs a BASE", "probe");
      base = std::string(args[++i]);
    } else if (args[i] == "--program") {
      if (i + 1 >= args.size() || args[i + 1].empty())
        return BadUsage(err, "--program needs a PATH", "probe");
      program = std::string(args[++i]);
    } else if (args[i].starts_with("-")) {
      return BadUsage(err, "unknown option '" + std::string(args[i]) + "'", "probe");
    } else if (dir.empty()) {
      dir = std::string(args[i]);
    } else {
      return BadUsage(err, "expects one DIR", "probe");
    }
  }
  if (dir.empty()) return BadUsage(err, "no DIR given", "probe");
  if (base && program)
    return BadUsage(err, "--book names the book itself; --program would name another", "probe");

  TEngineState state;
  state.WorkDir = dir;
  TPosition position;
  std::filesystem::path unreadable;
  if (!ReadMoveFiles(state, position, &unreadable)) {
    err << "zarvo book probe: cannot read '" << unreadable.string() << "'\n";
    return 1;
  }
  if (state.Sides.OwnStone == kEmpty) {
    err << "zarvo book probe: Tah.dat names no side to move ('-'), so no book position applies\n";
    return 1;
  }
  const char side = state.Sides.OwnStone == kStoneX ? 'x' : 'o';
  if (state.StoneCount == 0) {
    out << "empty board: the engine answers 9,9 without the book\n";
    return 0;
  }
  // The engine's own rule, from the program path as its manager gives it.
  const std::string bookName = base ? BookFileName(*base, state.StoneCount)
                                    : BookPathFor(ExeBaseNameOf(program.value_or("Zarvo2")),
                                                  state.WorkDir, state.StoneCount);
  if (program)
    out << "Zarvo2 started as " << *program << " in " << dir << " reads " << bookName << '\n';

  TOpenning_Book book;
  book.FileName = bookName;
  book.Load(false);
  if (book.LoadStatus == TBookLoadStatus::NoFile ||
      book.LoadStatus == TBookLoadStatus::Unreadable) {
    err << "zarvo book probe: cannot read '" << bookName << "'\n";
    return 1;
  }
  out << "board: " << state.StoneCount << " stones, " << side << " to move\n";
  out << "book " << bookName << ": " << book.Count() << Entries(book.Count());
  if (book.LoadStatus != TBookLoadStatus::Complete) {
    out << " (" << DescribeLoadStatus(book.LoadStatus) << "; the entries before it are used)";
  }
  out << '\n';

  const std::unique_ptr<TOpenning> query = BookQuery(position, state.Sides);
  std::vector<TOResObj> results;
  book.FindMatches(results, *query, [&](int k, const TOpenning& entry, const TOResObj& result) {
    out << int{result.X} << ',' << int{result.Y} << " plus " << result.PlusCount << " minus "
        << result.MinusCount << " (symmetry " << k;
    if (!OnBoard(result.X, result.Y)) {
      out << ", off the board: ignored";
    } else if (position.Cell(result.X, result.Y).Stone != kEmpty) {
      out << ", occupied: ignored";
    }
    out << "; entry ";
    PrintEntry(out, entry);
    out << ")\n";
  });
  if (results.empty()) out << "no entry matches\n";
  return 0;
}

}  // namespace

int RunBook(TArgs args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kBookUsage;
    return 2;
  }
  const std::string_view subcommand = args.front();
  const TArgs rest(args.data() + 1, args.size() - 1);
  if (IsHelp(subcommand)) {
    out << kBookUsage;
    return 0;
  }
  if (subcommand == "build") return RunBuild(rest, out, err);
  if (subcommand == "dump") return RunDump(rest, out, err);
  if (subcommand == "probe") return RunProbe(rest, out, err);
  return BadUsage(err, "unknown subcommand '" + std::string(subcommand) + "'", "");
}

}  // namespace zarvo::tool
