#include "board/pattern_tables.h"

#include <mutex>

namespace zarvo {

std::array<std::array<uint8_t, kPairMasks>, kPairMasks> PairClass{};

void BuildPairClass() {
  static std::once_flag built;
  std::call_once(built, [] {
    for (unsigned a = 0; a < kPairMasks; ++a)
      for (unsigned b = 0; b < kPairMasks; ++b) PairClass[a][b] = SegmentClass(a, b);
  });
}

}  // namespace zarvo
