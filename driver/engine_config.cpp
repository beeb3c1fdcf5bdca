#include "driver/engine_config.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "base/regular_file.h"
#include "board/pattern_tables.h"
#include "deep/time_manager.h"
#include "driver/text_lines.h"
#include "driver/zarvo_const.h"

namespace zarvo {

std::string ExeBaseNameOf(std::string_view programPath) {
  // "." and ".." are steps between folders, not names with an extension: "../bin/Zarvo2" reads
  // the books that the same program started by its full path reads.
  const auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
  std::size_t start = 0;  // of the path component being looked at
  for (std::size_t i = 0; i <= programPath.size(); ++i) {
    if (i < programPath.size() && !isSeparator(programPath[i])) continue;
    const std::string_view component = programPath.substr(start, i - start);
    if (const auto dot = component.find('.');
        dot != std::string_view::npos && component != "." && component != "..")
      return std::string(programPath.substr(0, start + dot));
    start = i + 1;
  }
  return kDefaultExeBaseName;
}

int32_t MaxDepthForBudget(int64_t budgetMs) {
  // Lower bounds of each budget band in milliseconds and the depth it allows.
  constexpr struct {
    int64_t FromMs;
    int32_t Depth;
  } kBands[] = {{4000, 9}, {2000, 7}, {500, 5}, {200, 3}, {100, 1}};
  for (const auto& band : kBands)
    if (budgetMs >= band.FromMs) return band.Depth;
  return 0;
}

void SetBudgetMs(TEngineState& state, int64_t budgetMs) {
  state.Time.TimeBudget = std::chrono::milliseconds(budgetMs);
  state.MaxDepth = MaxDepthForBudget(budgetMs);
}

void SetTimeBudget(TEngineState& state, int32_t amountMs, int64_t limitMs) {
  SetBudgetMs(state, deep::TimeFileBudgetMs(amountMs, limitMs));
}

std::pair<int32_t, int32_t> ReadTimeOutsFrom(std::istream& in) {
  // Longer lines than this cannot hold a 32-bit number in any sane spelling.
  constexpr std::size_t kMaxNumberLine = 256;
  const auto readNumber = [&in]() -> int32_t {
    auto line = ReadTextLine(in, kMaxNumberLine);
    if (!line || line->Truncated) return -1;
    return ParseInt32(line->Text).value_or(-1);
  };
  const int32_t seconds = readNumber();
  const int32_t amountMs = readNumber();
  return {seconds, amountMs};
}

void ReadTimeOuts(TEngineState& state) {
  const std::filesystem::path path = state.FilePath(kTimeOutsFileName);
  // Only a regular file: a pipe would block the move and a device like /dev/zero never ends.
  TRegularFileStream in(path);
  if (!in.IsOpen()) return;

  const auto [seconds, amountMs] = ReadTimeOutsFrom(in);
  // Formed in 64 bits: a large number of seconds must not overflow into a small or negative limit.
  SetTimeBudget(state, amountMs, int64_t{seconds} * 1000);
}

void InitEngine(TEngineState& state, std::string_view programPath, std::optional<uint32_t> seed) {
  state.Rng.Seed(seed.value_or(ClockSeed()));
  state.ExeBaseName = ExeBaseNameOf(programPath);
  ReadTimeOuts(state);
  BuildPairClass();  // WindowClass is a compile-time table
}

}  // namespace zarvo
