// Messages for the result codes. Each thread keeps the detail of its latest call beside the
// code that call answered (0 included, so the message for 0 says what just succeeded); a
// code asked for otherwise gets its generic text. Both kinds take their shared phrases from
// Phrases.h.
#pragma once

#include <cstdint>
#include <string>

#include "LastMessage.h"
#include "Phrases.h"

namespace tobrel {

// Keeps strMessage as this thread's detail of nCode and answers nCode, so a call ends with
// "return Report(TOBREL_..., ...)".
uint32_t Report(uint32_t nCode, std::string strMessage);

// The text of nCode that names no port or device.
std::string GenericText(uint32_t nCode);

// This thread's latest call: what it answered and said, and the buffer the C functions hand
// their text out in.
CLastMessage& LastMessage();

// UTF-8 text for nCode: this thread's latest detail when it answered nCode or was a close
// that dropped queued bytes, else generic.
std::string MessageText(uint32_t nCode);

// "COM3: " for messages about a port.
std::string PortPrefix(uint8_t nPort);

}  // namespace tobrel
