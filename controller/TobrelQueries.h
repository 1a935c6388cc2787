// Queries of this library beyond the functions the terminal calls (Tobrel.h), so that
// programs and tests read figures rather than parse messages.
#pragma once

#include <cstdint>

extern "C" {

// Received bytes lost on the port since it was opened, because its receive buffer was full;
// 0 for a port that is not open.
uint64_t LostBytesInCom(uint8_t port);
}
