// Everything one move needs besides the position: the side to play, what the board reader saw,
// the start-up settings, the clock and the random generator. A fresh object behaves like a fresh
// engine process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/random.h"
#include "base/square.h"
#include "search/search_state.h"

namespace zarvo {

struct TEngineState : TSearchEnvironment {
  // Folder that holds the exchange files; empty means the working directory.
  std::filesystem::path WorkDir;

  int32_t StoneCount = 0;
  TSquare FirstStone;     // first stone met while reading the board
  TSquare EarlyOppStone;  // last non-own stone among the first two read

  std::string ExeBaseName = "Zarvo";  // base of the opening-book file names
  TRandom Rng;
  // Set by move selection when it finds the game lost; the driver then leaves the loss marker.
  bool GameLost = false;

  // Name of an exchange file inside WorkDir.
  std::filesystem::path FilePath(const char* name) const { return WorkDir / name; }
};

}  // namespace zarvo
