// Writing to an open port: blocks go to the port's output queue, which its writer empties.
#pragma once

#include <cstdint>

#include "Port.h"

namespace tobrel {

// Queues all nCount bytes and answers at once: TOBREL_OK when they are on their way, else
// why not (queue full, device stalled or gone), with nothing queued.
uint32_t QueueBlock(CPort& port, const uint8_t* pData, uint32_t nCount);

// The device takes no bytes: how many have waited how long.
uint32_t ReportStall(const CPort& port, const CWriter::SBacklog& backlog);

}  // namespace tobrel
