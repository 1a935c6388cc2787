// What the serial library hands to the capture file. Each call only copies into the
// capture's queue, which its own thread writes out, so a slow disk never holds a caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "TobrelCapture.h"

namespace tobrel {

// Bytes as the reader took them from the device.
void CaptureReceived(uint8_t nPort, const uint8_t* pData, size_t nCount);
// A block as it was queued to go out.
void CaptureSent(uint8_t nPort, const uint8_t* pData, size_t nCount);
// An event of the port: opened, closed, device gone, bytes lost.
void CaptureEvent(uint8_t nPort, const std::string& strText);

// A failure of the file not told yet; taking it tells it, once per failure.
bool CaptureReportPending();
bool TakeCaptureReport(std::string& strMessage);

}  // namespace tobrel
