// zarvo serve: a board in the browser against the engine; the options, read here, and the
// server of serve/.
#include <optional>
#include <string>

#include "match/engine_player.h"
#include "serve/game_session.h"
#include "serve/web_server.h"
#include "zarvo/commands.h"
#include "zarvo/text_args.h"

namespace zarvo::tool {
namespace {

constexpr std::string_view kServeUsage =
    "usage: zarvo serve [--port N] [--address A] [--engine ENGINE] [--colour x|o]\n"
    "                   [--board N] [--exact-five] [--move-time MS]\n"
    "       zarvo serve [--port N] [--address A] --watch DIR\n"
    "\n"
    "Serves a board to play in the browser on this machine (address 127.0.0.1, port N, both\n"
    "printed at the start): click a square for your stone; the engine's score and principal\n"
    "line show while it thinks. Take back, hint, resign, save the finished game as a record,\n"
    "open a record to step through it with the engine's analysis of any position and play\n"
    "on from there. The page is built into the program; nothing is fetched from anywhere\n"
    "else. Ctrl-C stops the server.\n"
    "\n"
    "options:\n"
    "  --port N          the port (default 8020; 0: any free port, printed at the start)\n"
    "  --address A       the address to listen on (default 127.0.0.1, this machine only)\n"
    "  --engine ENGINE   the opponent, named as for 'zarvo match': \"file:PATH [ARG...]\" or\n"
    "                    \"pipe:PATH [ARG...]\" (default: the built-in deep search; hints and\n"
    "                    analysis always come from it)\n"
    "  --colour x|o      your colour in the first game; x moves first (default x)\n"
    "  --board N         an N x N board, 15 to 20 (default 20)\n"
    "  --exact-five      only exactly five in a row wins\n"
    "  --move-time MS    the engine's time per move, hint and analysis (default 1000)\n"
    "  --watch DIR       follow the match 'zarvo match --records DIR' plays: the game in\n"
    "                    progress live, the finished games to step through; nothing is played\n"
    "                    and the folder is only read (the game options do not go with it)\n"
    "The page's 'New game' sets colour, board, rule and time for the games after.\n"
    "\n"
    "exit status: 0 stopped by Ctrl-C, 1 the address could not be listened on, 2 bad usage\n";

}  // namespace

int RunServe(TArgs args, std::ostream& out, std::ostream& err) {
  const auto usage = [&err](const std::string& why) {
    err << "zarvo serve: " << why << " (see 'zarvo serve --help')\n";
    return 2;
  };
  std::string address = "127.0.0.1";
  int port = 8020;
  serve::TGameSettings settings;
  std::optional<std::string> engine;
  std::optional<std::string> watch;
  std::string gameOption;  // the first option that sets up a game, refused with --watch
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out << kServeUsage;
      return 0;
    }
    if (arg != "--port" && arg != "--address" && arg != "--watch" && gameOption.empty())
      gameOption = arg;
    if (arg == "--exact-five") {
      settings.ExactlyFive = true;
      continue;
    }
    if (arg != "--port" && arg != "--address" && arg != "--engine" && arg != "--colour" &&
        arg != "--board" && arg != "--move-time" && arg != "--watch")
      return usage("unexpected argument '" + std::string(arg) + "'");
    if (i + 1 >= args.size()) return usage(std::string(arg) + " needs a value");
    const std::string_view value = args[++i];
    if (arg == "--address") {
      if (value.empty()) return usage("--address needs an address");
      address = value;
    } else if (arg == "--watch") {
      if (value.empty()) return usage("--watch needs a folder");
      watch = std::string(value);
    } else if (arg == "--engine") {
      engine = std::string(value);
    } else if (arg == "--colour") {
      if (value != "x" && value != "o") return usage("--colour takes x or o");
      settings.HumanColour = value[0];
    } else {
      const auto [low, high] = arg == "--port"    ? std::pair<int64_t, int64_t>{0, 65535}
                               : arg == "--board" ? std::pair<int64_t, int64_t>{15, 20}
                                                  : std::pair<int64_t, int64_t>{1, 3'600'000};
      const auto number = ParseNumber(value);
      if (!number || *number < low || *number > high)
        return usage(std::string(arg) + " takes a whole number from " + std::to_string(low) +
                     " to " + std::to_string(high) + ", not '" + std::string(value) + "'");
      if (arg == "--port")
        port = static_cast<int>(*number);
      else if (arg == "--board")
        settings.BoardSize = static_cast<int>(*number);
      else
        settings.MoveTimeMs = *number;
    }
  }
  if (watch && !gameOption.empty())
    return usage(gameOption + " sets up a game to play; --watch only follows a match");
  std::optional<match::TEngineEntry> entry;
  if (engine) {
    std::string error;
    entry = match::ParseEngineEntry(*engine, error);
    if (!entry) return usage(error);
    if (!entry->Pipe && settings.BoardSize != kBoardSize)
      return usage("a move-file engine plays on the 20 x 20 board only; name a brain (pipe:)");
  }
  serve::TServeOptions options;
  options.Address = address;
  options.Port = port;
  options.Settings = settings;
  options.Engine = entry;
  options.EngineLabel = engine.value_or("");
  if (watch) options.WatchDir = *watch;
#ifdef ZARVO_HAVE_HTTPLIB
  return serve::RunWebServer(options, out, err);
#else
  err << "zarvo serve: this build has no web server (cpp-httplib was not found when it was "
         "configured; Debian/Ubuntu: apt-get install libcpp-httplib-dev, then configure again)\n";
  return 1;
#endif
}

}  // namespace zarvo::tool
