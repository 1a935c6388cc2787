// The numbers COM1 to COM10 and their names, for the port map, the remembered numbers and
// the messages.
#pragma once

#include <cstdint>
#include <string>

#include "Tobrel.h"

namespace tobrel {

constexpr uint8_t kFirstPort = TOBREL_FIRST_PORT;
constexpr uint8_t kLastPort = TOBREL_LAST_PORT;

bool IsValidPort(uint8_t nPort);
// "COM3"
std::string PortName(uint8_t nPort);
// "QUORVEL_COM3": the variable that maps COM3 to a device.
std::string PortVariable(uint8_t nPort);

}  // namespace tobrel
