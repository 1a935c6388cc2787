#include "PortMap.h"

#include <cstdlib>

bool IsValidPort(uint8_t nPort) { return nPort >= kFirstPort && nPort <= kLastPort; }

std::string PortName(uint8_t nPort) { return "COM" + std::to_string(nPort); }

std::string PortVariable(uint8_t nPort) { return "QUORVEL_" + PortName(nPort); }

std::string PortDevice(uint8_t nPort) {
  const char* pszMapped = std::getenv(PortVariable(nPort).c_str());
  if (pszMapped != nullptr && *pszMapped != '\0') return pszMapped;
  return "/dev/ttyS" + std::to_string(nPort - 1);
}
