#include "driver/loss_marker.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "base/regular_file.h"
#include "driver/zarvo_const.h"

namespace zarvo {
namespace {

// The value of the state file; 0 when it is missing or cannot be read. A shorter file leaves the
// high-order bytes 0. Only a regular file is read: a directory cannot be, and a pipe of that name
// would block the move until someone wrote to it.
int32_t ReadLossState(const std::filesystem::path& path) {
  TRegularFileStream in(path);
  if (!in.IsOpen()) return 0;
  std::array<char, 4> bytes{};
  in.read(bytes.data(), bytes.size());
  if (in.bad() || in.ReadFailed()) return 0;
  uint32_t value = 0;
  for (std::streamsize i = 0; i < in.gcount(); ++i)
    value |= uint32_t{static_cast<uint8_t>(bytes[i])} << (8 * i);
  return static_cast<int32_t>(value);
}

void WriteLossMarker(const std::filesystem::path& path, int32_t value) {
  std::array<char, 4> bytes{};
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  // A folder, pipe or device of that name is left alone: the marker is skipped.
  WriteRegularFile(path, std::string_view(bytes.data(), bytes.size()), TCreate::IfMissing);
}

}  // namespace

void RecordLoss(const TEngineState& state) noexcept {
  // 1. Only the second player (an odd number of stones on the board) leaves a marker.
  if (state.StoneCount % 2 == 0) return;
  try {
    // 2. The neighbours' value, clamped to the three values the marker may hold.
    const int32_t value = std::clamp(ReadLossState(state.FilePath(kLossStateFileName)), 0, 2);
    // 3. Replace the marker; a failure to write it is not the move's concern.
    WriteLossMarker(state.FilePath(kLossMarkerFileName), value);
  } catch (...) {
    // Paths and streams can still throw (out of memory); the move is chosen and written anyway.
  }
}

}  // namespace zarvo
