// The engine's one pseudo-random generator.
#pragma once

#include <cstdint>

namespace zarvo {

// Linear congruential generator: state := state * 134775813 + 1 (mod 2^32); a draw of Random(n)
// is the high 32 bits of n * state, so it lies in 0 .. n - 1.
class TRandom {
 public:
  explicit constexpr TRandom(uint32_t seed = 0) : state_(seed) {}

  constexpr void Seed(uint32_t seed) { state_ = seed; }
  constexpr uint32_t State() const { return state_; }

  constexpr int32_t Random(int32_t n) {
    state_ = state_ * 134775813u + 1u;
    return static_cast<int32_t>((static_cast<uint64_t>(static_cast<uint32_t>(n)) * state_) >> 32);
  }

 private:
  uint32_t state_;
};

// Low 32 bits of the high-resolution counter: the seed of a normal run.
uint32_t ClockSeed();

}  // namespace zarvo
