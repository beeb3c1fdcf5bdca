// Line-pattern classes: WindowClass judges one five-square window, PairClass a nine-square
// stretch centred on the judged square.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace zarvo {

// Line classes.
enum : uint8_t {
  kClassNone = 0,
  kClassOne = 1,
  kClassClosedTwo = 2,
  kClassOpenTwo = 3,
  kClassClosedThree = 4,
  kClassOpenThree = 5,
  kClassFour = 6,
  kClassOpenFour = 7,
  kClassFive = 8,
};

// Index bit 0: w0 blocked (opponent or edge); bits 1..5: own stones on w1..w5; bit 6: w6 blocked.
// Two to four stones are open when they fit into w1..w4 with w0 free or into w2..w5 with w6 free.
constexpr std::array<uint8_t, 128> BuildWindowClass() {
  std::array<uint8_t, 128> table{};
  for (unsigned index = 0; index < 128; ++index) {
    const unsigned own = (index >> 1) & 0x1F;
    const int count = std::popcount(own);
    if (count <= 1) {
      table[index] = static_cast<uint8_t>(count);
    } else if (count == 5) {
      table[index] = kClassFive;
    } else {
      const bool fitsLeft = (own & 0x10) == 0 && (index & 0x01) == 0;
      const bool fitsRight = (own & 0x01) == 0 && (index & 0x40) == 0;
      table[index] = static_cast<uint8_t>(fitsLeft || fitsRight ? 2 * count - 1 : 2 * count - 2);
    }
  }
  return table;
}

inline constexpr std::array<uint8_t, 128> WindowClass = BuildWindowClass();

// Masks of nine squares, bit i = offset i - 4 from the judged square; 513 so that index 512
// exists like every other (the look-ups mask to nine bits and never reach it).
inline constexpr int kPairMasks = 513;

// Class of the judged square from its own-stone mask and its blocking mask (opponent stones and
// off-board squares): the best window of the five that contain the square.
constexpr uint8_t SegmentClass(unsigned own, unsigned blocking) {
  const unsigned a = own << 1;
  const unsigned b = blocking << 1;
  uint8_t result = WindowClass[0];
  for (unsigned i = 0; i < 5; ++i) {
    if (((b >> i) & 0x3E) != 0) continue;
    const uint8_t c = WindowClass[((a >> i) & 0x3E) | ((b >> i) & 0x41)];
    if (c > result) result = c;
  }
  return result;
}

// PairClass[own][blocking]: filled once by BuildPairClass, read-only afterwards.
extern std::array<std::array<uint8_t, kPairMasks>, kPairMasks> PairClass;

// Fills PairClass; later calls do nothing.
void BuildPairClass();

}  // namespace zarvo
