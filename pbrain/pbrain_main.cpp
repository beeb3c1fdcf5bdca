// pbrain-zarvo2: the engine behind the brain protocol, one command per line on standard input,
// answers on standard output. Ends on END or at the end of the input.
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "base/decimal_text.h"
#include "driver/version.h"
#include "pbrain/brain_session.h"
#include "pbrain/brain_text.h"

namespace {

constexpr const char* kUsage =
    "usage: pbrain-zarvo2 [--classic] [--no-messages] [--seed N] [--help | --version]\n"
    "Speaks the brain protocol on standard input and output, with the deep search.\n"
    "--classic plays the move choice of Zarvo2 instead, exactly as Zarvo2 would.\n"
    "--no-messages leaves out the MESSAGE line the deep search writes for every finished\n"
    "iteration (depth, score, nodes, speed, time and principal variation).\n"
    "--seed N (or the environment variable ZARVO_SEED=N) seeds every move with N instead of\n"
    "the clock, so a game can be replayed move for move.\n";

// Decimal digits only, the same spelling Zarvo2 accepts in ZARVO_SEED.
std::optional<uint32_t> ParseSeed(std::string_view text) {
  const auto value = zarvo::ParseDigits(text, UINT32_MAX);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

// Reads one line up to LF, without the LF, keeping at most maxKept bytes of it. A CR before the
// LF is left for the session to trim. False at the end of the input with nothing read.
bool ReadLine(std::streambuf& in, std::string& line, std::size_t maxKept) {
  line.clear();
  bool any = false;
  for (int c = in.sbumpc(); c != std::char_traits<char>::eof(); c = in.sbumpc()) {
    any = true;
    if (c == '\n') return true;
    if (line.size() < maxKept) line.push_back(static_cast<char>(c));
  }
  return any;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zarvo;
  TBrainOptions options;
  options.ProgramPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  if (const char* seed = std::getenv("ZARVO_SEED"); seed != nullptr) options.Seed = ParseSeed(seed);
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--seed") {
      if (i + 1 >= argc) {
        std::cerr << "pbrain-zarvo2: --seed needs a value\n" << kUsage;
        return 2;
      }
      options.Seed = ParseSeed(argv[++i]);
      if (!options.Seed) {
        std::cerr << "pbrain-zarvo2: bad --seed value '" << argv[i]
                  << "' (a whole number from 0 to 4294967295)\n";
        return 2;
      }
    } else if (argument == "--classic") {
      options.Classic = true;
    } else if (argument == "--no-messages") {
      options.Messages = false;
    } else if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (argument == "--version") {
      std::cout << "pbrain-zarvo2 " << kZarvoVersion << "\n";
      return 0;
    } else {
      std::cerr << "pbrain-zarvo2: bad argument '" << argument << "'\n" << kUsage;
      return 2;
    }
  }

#ifdef _WIN32
  // Bytes as they are: text mode would turn each answer's LF into CR LF (a manager then sees a
  // doubled line end after its own CR handling) and would end the input at a 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#else
  // A manager that goes away closes the pipe; the failed write then ends the loop below.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::ios::sync_with_stdio(false);
  TBrainSession session(options);
  std::string line;
  // The longest accepted line, the CR of a CR LF end, and one byte more, so the session sees that
  // a line was too long whether a CR follows or not.
  while (ReadLine(*std::cin.rdbuf(), line, kMaxBrainLineLength + 2)) {
    for (const std::string& answer : session.HandleLine(line)) std::cout << answer << '\n';
    std::cout.flush();
    if (session.Ended() || !std::cout) break;
  }
  return 0;
}
