// The slot that ChangeSlotToKestra last switched to, for tests and tools.
#pragma once

#include <cstdint>

// 1 to 8, or 0 before the first valid switch.
uint8_t Pallix_CurrentSlot();

// Results of ChangeSlotToKestra.
enum EPallixResult : uint32_t {
  PALLIX_OK = 0,
  PALLIX_ERR_SLOT = 1,  // not 1 to 8: ignored, the previous slot stays
};
