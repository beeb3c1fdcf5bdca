// Zarvo2: the program a tournament manager starts once per move in the working directory.
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

#include "base/decimal_text.h"
#include "base/process_start.h"
#include "board/state_check.h"
#include "driver/deep_engine.h"
#include "driver/engine.h"
#include "driver/engine_config.h"
#include "driver/loss_marker.h"
#include "driver/move_files.h"
#include "driver/version.h"

namespace {

using zarvo::ParseDigits;

// ZARVO_SEED=N replaces the clock seed, so tests and replays get the same move every time. A
// manager never sets it; a value that is not a 32-bit unsigned number is ignored.
std::optional<uint32_t> SeedFromEnvironment() {
  const char* text = std::getenv("ZARVO_SEED");
  if (text == nullptr) return std::nullopt;
  const auto seed = ParseDigits(text, UINT32_MAX);
  if (!seed) return std::nullopt;
  return static_cast<uint32_t>(*seed);
}

constexpr const char* kUsage =
    "usage: Zarvo2 [--help | --version]\n"
    "A tournament manager starts Zarvo2 without arguments in a working folder holding Tah.dat\n"
    "(the side to move), Plocha.dat (the board) and, optionally, TimeOuts.dat; the engine writes\n"
    "its move X,Y into Tah.dat and ends. ZARVO_SEED=N in the environment fixes the random seed.\n"
    "With any argument it only prints this text or its version and touches no file.\n";

// A manager never passes arguments, so any argument is a person asking: answered here, before a
// file is read or written. The exit status is 0 for --help and --version, 2 for anything else.
int AnswerPerson(int argc, char** argv) {
  const std::string_view argument = argv[1] != nullptr ? argv[1] : "";
  if (argc == 2 && (argument == "--help" || argument == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (argc == 2 && argument == "--version") {
    std::cout << "Zarvo2 " << zarvo::kZarvoVersion << "\n";
    return 0;
  }
  std::cerr << "Zarvo2: unexpected argument '" << argument << "'\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zarvo;
  if (argc > 1) return AnswerPerson(argc, argv);
  TEngineState state;
  state.Time.StartTime = TMonotonicClock::now();  // before any file is read: it all counts
  TPosition position{};
  TFolderPosition files;  // what the files said, for the deep search
  try {
    std::filesystem::path unreadable;
    if (!ReadMoveFiles(state, position, &unreadable, &files)) {
      // A manager always writes the files, so this is a person who ran the program by hand.
      std::cerr << "Zarvo2: no " << unreadable.filename().string()
                << " here to read: a move-file manager starts Zarvo2 in a folder holding "
                   "Tah.dat and Plocha.dat (Zarvo2 --help)\n";
      return 0;
    }
    InitEngine(state, argc > 0 && argv[0] != nullptr ? argv[0] : "", SeedFromEnvironment());
  } catch (...) {
    return 0;  // nothing read, nothing to answer
  }
  try {
    // ZARVO_SEARCH=deep: the deep search, within the same budget counted from the process's
    // start; the classic choice if it finds nothing.
    if (DeepSearchRequested(std::getenv("ZARVO_SEARCH"))) {
      if (const auto deepMove = DeepMoveForFiles(state, files, ProcessStartTime())) {
        WriteMoveFile(state, deepMove->X, deepMove->Y);
        return 0;
      }
    }
  } catch (...) {
    // Checking builds show the fault; the classic choice still answers.
    if constexpr (kCheckState)
      ReportCurrentFailure("the deep search", "the classic choice answers");
  }
  const TSquare move = FindMoveOrFirstEmpty(state, position);
  if (state.GameLost) RecordLoss(state);
  try {
    WriteMoveFile(state, static_cast<int8_t>(move.X), static_cast<int8_t>(move.Y));
  } catch (...) {
  }
  return 0;
}
