// zarvo: tools around the engine for people who study positions and make books.
#include <iostream>
#include <new>
#include <string_view>
#include <vector>

#include "driver/version.h"
#include "zarvo/commands.h"

namespace {

constexpr std::string_view kUsage =
    "usage: zarvo COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  eval [--json] DIR\n"
    "                evaluate the board of a working directory (Tah.dat, Plocha.dat)\n"
    "  book ...      build, dump and probe opening books\n"
    "  bench         the fixed benchmark and the search's signature\n"
    "  match ENGINE1 ENGINE2 [...]\n"
    "                play games between two engines (file:PATH or pipe:PATH), all of a match or\n"
    "                a shard of it (--shard I/N); --merge DIR... puts shards together\n"
    "  openings      a suite of openings the deep search judges close to even\n"
    "  show RECORD   draw a game record as SVG\n"
    "  play ENGINE   play a game against an engine at the terminal\n"
    "  analyse DIR | --moves \"X,Y ...\" | --record FILE [--move N]\n"
    "                the deep search's thinking on a position, a summary line, a picture\n"
    "  serve         a board in the browser: play the engine, study records\n"
    "  fit-eval RECORD...\n"
    "                fit the deep search's evaluation to the results of recorded games\n"
    "\n"
    "'zarvo COMMAND --help' explains a command; 'zarvo --version' prints the version.\n"
    "\n"
    "exit status: 0 done, 1 failed (an input unreadable or wrong, an output not written, a\n"
    "match in which no game was played out), 2 bad usage.\n";

int Run(int argc, char** argv) {
  using namespace zarvo::tool;
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string_view command = args.front();
  const TArgs rest(args.data() + 1, args.size() - 1);
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << "zarvo " << zarvo::kZarvoVersion << "\n";
    return 0;
  }
  if (command == "eval") return RunEval(rest, std::cout, std::cerr);
  if (command == "book") return RunBook(rest, std::cout, std::cerr);
  if (command == "bench") return RunBench(rest, std::cout, std::cerr);
  if (command == "match") return RunMatch(rest, std::cout, std::cerr);
  if (command == "openings") return RunOpenings(rest, std::cout, std::cerr);
  if (command == "show") return RunShow(rest, std::cout, std::cerr);
  if (command == "play") return RunPlay(rest, std::cin, std::cout, std::cerr);
  if (command == "analyse" || command == "analyze") return RunAnalyse(rest, std::cout, std::cerr);
  if (command == "serve") return RunServe(rest, std::cout, std::cerr);
  if (command == "fit-eval") return RunFitEval(rest, std::cout, std::cerr);
  std::cerr << "zarvo: unknown command '" << command << "' (see 'zarvo --help')\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Whatever was being read or built did not fit: a failure, never a result made of a part.
    std::cerr << "zarvo: out of memory\n";
    return 1;
  }
}
