#include "base/random.h"

#include <chrono>

namespace zarvo {

uint32_t ClockSeed() {
  const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  return static_cast<uint32_t>(ticks);
}

}  // namespace zarvo
