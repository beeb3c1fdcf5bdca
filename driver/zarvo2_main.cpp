// Zarvo2: the program a tournament manager starts once per move in the working directory.
#include <exception>

#include "driver/engine_config.h"
#include "driver/move_files.h"
#include "select/move_selection.h"

int main(int argc, char** argv) {
  using namespace zarvo;
  TEngineState state;
  state.Time.StartTime = TMonotonicClock::now();  // before any file is read: it all counts
  TPosition position{};
  try {
    if (!ReadMoveFiles(state, position)) return 0;
    InitEngine(state, argc > 0 && argv[0] != nullptr ? argv[0] : "");
  } catch (...) {
    return 0;  // nothing read, nothing to answer
  }
  TMove move;
  try {
    move = FindMove(state, position);
  } catch (...) {
    move = FirstEmptySquare(position);  // a failed search still answers a legal square
  }
  try {
    WriteMoveFile(state, move.X, move.Y);
  } catch (...) {
  }
  return 0;
}
