#include "PortNumber.h"

namespace tobrel {

bool IsValidPort(uint8_t nPort) { return nPort >= kFirstPort && nPort <= kLastPort; }

std::string PortName(uint8_t nPort) { return "COM" + std::to_string(nPort); }

std::string PortVariable(uint8_t nPort) { return "QUORVEL_" + PortName(nPort); }

}  // namespace tobrel
