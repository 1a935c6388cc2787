// The controller SDK, as far as the terminal calls it.
#pragma once

#include <cstdint>

extern "C" {

// Switches the controller's backplane to module slot 1 to 8.
uint32_t ChangeSlotToKestra(uint8_t slot);
}
