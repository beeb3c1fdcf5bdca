// Everything one move needs besides the position: the side to play, what the board reader saw,
// the start-up settings, the clock and the random generator. A fresh object behaves like a fresh
// engine process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "board/random.h"
#include "board/stones.h"
#include "select/search_state.h"
#include "select/time_control.h"

namespace zarvo {

struct TSquare {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TSquare&, const TSquare&) = default;
};

inline constexpr int32_t kDefaultMaxDepth = 9;

struct TEngineState {
  // Folder that holds the exchange files; empty means the working directory.
  std::filesystem::path WorkDir;

  TSideMaps Sides;
  int32_t StoneCount = 0;
  TSquare FirstStone;     // first stone met while reading the board
  TSquare EarlyOppStone;  // last non-own stone among the first two read

  std::string ExeBaseName = "Zarvo";  // base of the opening-book file names
  int32_t MaxDepth = kDefaultMaxDepth;
  TTimeControl Time;
  TRandom Rng;
  TSearchState Search;

  // Name of an exchange file inside WorkDir.
  std::filesystem::path FilePath(const char* name) const { return WorkDir / name; }
};

}  // namespace zarvo
