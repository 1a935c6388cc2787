// The terminal's process-wide state and work buffers.
#pragma once

#include <cstdint>

struct TerminalState {
  uint8_t portNumber = 0;          // the port of the last open attempt
  uint32_t lastResult = 0;         // result of the last open or send
  int32_t autoSendInterval = 100;  // milliseconds
  uint8_t sendBytes[1024] = {};
  char16_t sendText[1024] = {};
  uint8_t receiveBytes[1024] = {};
  char16_t receiveText[1024] = {};
};

extern TerminalState g_terminalState;
