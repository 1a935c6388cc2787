// Messages for the result codes. A code's message is its generic text, or the full text
// recorded with the most recent failure of that code (port, device, system error).
#pragma once

#include <cstdint>
#include <string>

#include "SystemText.h"

// Records strMessage as the text of nCode and answers nCode, so a failure reads
// "return Report(TOBREL_ERR_..., ...)".
uint32_t Report(uint32_t nCode, std::string strMessage);

// UTF-8 text for nCode.
std::string MessageText(uint32_t nCode);

// "COM3: " for messages about a port.
std::string PortPrefix(uint8_t nPort);
