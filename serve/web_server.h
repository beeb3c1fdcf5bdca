// The web board's server: the page, the requests, and the game's state sent live to every open
// page as server-sent events. One game for all pages; a worker thread runs the engine's jobs, or
// reads the folder of the match the pages watch.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "match/engine_player.h"
#include "serve/game_session.h"

namespace zarvo::serve {

struct TServeOptions {
  std::string Address = "127.0.0.1";  // never another unless asked
  int Port = 8020;                    // 0: any free port
  TGameSettings Settings;
  std::optional<match::TEngineEntry> Engine;  // none: the built-in deep search
  std::string EngineLabel;                    // as the user named it
  // Set: the page follows the match recorded in this folder and plays no game.
  std::optional<std::filesystem::path> WatchDir;
};

// Serves until SIGINT or SIGTERM; says on out where, once it listens. Exit status: 0 stopped by
// a signal, 1 the address could not be bound or the engine's folder made.
int RunWebServer(const TServeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zarvo::serve
