// Writing to an open port.
#pragma once

#include <cstdint>

#include "Port.h"

// Writes all nCount bytes, waiting as long as the line needs at its baud rate plus a margin.
// TOBREL_OK only when every byte was handed to the device.
uint32_t WriteAll(CPort& port, const uint8_t* pData, uint32_t nCount);
