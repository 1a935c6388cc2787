// Which device stands behind COM1 to COM10.
#pragma once

#include <cstdint>
#include <string>

constexpr uint8_t kFirstPort = 1;
constexpr uint8_t kLastPort = 10;

bool IsValidPort(uint8_t nPort);
// "COM3"
std::string PortName(uint8_t nPort);
// "QUORVEL_COM3": the variable that maps COM3 to a device.
std::string PortVariable(uint8_t nPort);
// The device in QUORVEL_COMn when set and not empty, else /dev/ttyS(n-1).
std::string PortDevice(uint8_t nPort);
