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
#include "pbrain/command_reader.h"

namespace {

constexpr const char* kUsage =
    "usage: pbrain-zarvo2 [--classic] [--no-messages] [--seed N] [--threads N]\n"
    "                     [--help | --version]\n"
    "Speaks the brain protocol on standard input and output, with the deep search.\n"
    "--classic plays the move choice of Zarvo2 instead, exactly as Zarvo2 would.\n"
    "--no-messages leaves out the MESSAGE line the deep search writes for every finished\n"
    "iteration (depth, score, nodes, speed, time and principal variation).\n"
    "--seed N (or the environment variable ZARVO_SEED=N) seeds every move with N instead of\n"
    "the clock, so a game can be replayed move for move.\n"
    "--threads N searches each move with N threads (default 1; at most the machine's cores),\n"
    "as INFO thread_num N does; one thread keeps a search with a fixed depth repeatable.\n";

// Decimal digits only, the same spelling Zarvo2 accepts in ZARVO_SEED.
std::optional<uint32_t> ParseSeed(std::string_view text) {
  const auto value = zarvo::ParseDigits(text, UINT32_MAX);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
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
    } else if (argument == "--threads") {
      const auto count = i + 1 < argc ? ParseDigits(argv[i + 1], INT32_MAX) : std::nullopt;
      if (!count || *count < 1) {
        std::cerr << "pbrain-zarvo2: --threads needs a whole number of at least 1\n" << kUsage;
        return 2;
      }
      ++i;
      options.Threads = static_cast<int>(*count);  // the session holds it to the cores
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
  // The commands come in on a thread of their own: an END while the engine thinks stops its
  // search at once (the move found so far is answered), and an INFO then applies from the next
  // move. The longest accepted line, the CR of a CR LF end, and one byte more are kept, so the
  // session sees that a line was too long whether a CR follows or not.
  TCommandReader reader(*std::cin.rdbuf(), kMaxBrainLineLength + 2);
  options.Stop = &reader.EndSeen();
  // Each MESSAGE line as its iteration ends, so that a manager's log shows the engine think.
  options.Emit = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
  TBrainSession session(options);
  while (const auto command = reader.Next()) {
    for (const std::string& answer : session.HandleLine(*command)) std::cout << answer << '\n';
    std::cout.flush();
    if (session.Ended() || !std::cout) break;
  }
  return 0;
}
