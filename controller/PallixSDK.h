// The controller SDK, as far as the terminal calls it.
#pragma once

#include <cstdint>

// Results of ChangeSlotToKestra.
enum EPallixResult : uint32_t {
  PALLIX_OK = 0,             // the backplane was told to switch
  PALLIX_ERR_SLOT = 1,       // not 1 to 8: nothing switched
  PALLIX_ERR_BACKPLANE = 2,  // the backplane named could not be told: nothing switched
  PALLIX_NO_BACKPLANE = 3,   // no backplane is named, so there is nothing to switch
};

extern "C" {

// Switches the controller's backplane to module slot 1 to 8.
uint32_t ChangeSlotToKestra(uint8_t slot);
// The text for a result: that of this thread's latest switch when it gave
// this result (naming the slot and, for a failure, why), else a generic one.
const char16_t* GetPallixMessage(uint32_t result);
}
