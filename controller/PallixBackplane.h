// The backplane socket between the controller SDK and a simulated controller.
//
// When QUORVEL_BACKPLANE names a Unix datagram socket, every slot switch sends one datagram
// of one byte to it: the slot number as an ASCII digit, '1' to '8'.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr const char* kBackplaneVariable = "QUORVEL_BACKPLANE";
constexpr uint8_t kFirstSlot = 1;
constexpr uint8_t kLastSlot = 8;

constexpr bool IsValidSlot(uint8_t nSlot) { return nSlot >= kFirstSlot && nSlot <= kLastSlot; }

constexpr char EncodeSlot(uint8_t nSlot) { return static_cast<char>('0' + nSlot); }

// The slot of a received datagram, 0 when it is not one.
constexpr uint8_t DecodeSlot(const char* pData, size_t nSize) {
  if (nSize != 1 || pData[0] < '0' + kFirstSlot || pData[0] > '0' + kLastSlot) return 0;
  return static_cast<uint8_t>(pData[0] - '0');
}
