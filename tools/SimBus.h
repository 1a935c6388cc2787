// The simulated controller's bus: eight slots, some holding a module, and the answers to
// module commands on the active slot.
//
// Slot 1: address 00 KESTRA-7065
// Slot 3: address 00 KESTRA-7012
// Slot 7: address 00 KESTRA-7017, address 01 KESTRA-7060
// The other slots are empty. A command to an address without a module gets no answer, as on
// a real bus.
#pragma once

#include <cstdint>
#include <string>

class CSimBus {
 public:
  // The terminal switches to slot 7 at start; so does the bus.
  static constexpr uint8_t kStartSlot = 7;

  void SetActiveSlot(uint8_t nSlot);

  // The module name at a two-digit hex address of the active slot, or nullptr.
  const char* ModuleAt(const std::string& strAddress) const;

  // The bytes to send back for one command line (without its CR): "$AAM" gives "!AA" and
  // the name, "@AA" and hex digits give ">", both CR-ended; any other line comes back
  // followed by CR LF. Empty: no answer.
  std::string Answer(const std::string& strLine) const;

 private:
  uint8_t m_nActiveSlot = kStartSlot;
};
