// Stone codes, side slots and the maps between them.
#pragma once

#include <array>
#include <cstdint>

namespace zarvo {

// Stone codes as stored in a cell.
inline constexpr uint8_t kEmpty = 0;
inline constexpr uint8_t kStoneX = 1;
inline constexpr uint8_t kStoneO = 2;
inline constexpr uint8_t kOffBoard = 3;

// Indexed by stone code: the code of the other colour (empty and off-board map to themselves).
inline constexpr std::array<uint8_t, 4> OppositeStone{0, 2, 1, 3};

// Side slot 0 is the side the engine plays this move, slot 1 its opponent.
struct TSideMaps {
  uint8_t OwnStone = 0;
  uint8_t OppStone = 0;
  std::array<uint8_t, 3> SlotOfStone{};     // stone code -> side slot
  std::array<uint8_t, 2> StoneOfSlot{};     // side slot -> stone code
  std::array<uint8_t, 2> OppStoneOfSlot{};  // side slot -> the other stone code
};

// Derives the maps from OwnStone. With OwnStone 0 ("-") both colours land in slot 0, so every
// stone counts as the engine's own.
constexpr void SetSideMaps(TSideMaps& maps) {
  maps.OppStone = OppositeStone[maps.OwnStone];
  if (maps.OwnStone == kStoneX) {
    maps.SlotOfStone[kStoneX] = 0;
    maps.SlotOfStone[kStoneO] = 1;
  } else if (maps.OwnStone == kStoneO) {
    maps.SlotOfStone[kStoneO] = 0;
    maps.SlotOfStone[kStoneX] = 1;
  }
  maps.StoneOfSlot[maps.SlotOfStone[kStoneO]] = kStoneO;
  maps.StoneOfSlot[maps.SlotOfStone[kStoneX]] = kStoneX;
  maps.OppStoneOfSlot[maps.SlotOfStone[kStoneO]] = kStoneX;
  maps.OppStoneOfSlot[maps.SlotOfStone[kStoneX]] = kStoneO;
}

}  // namespace zarvo
