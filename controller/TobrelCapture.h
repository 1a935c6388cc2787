// The serial library's capture file, a call of its own beside Tobrel.h: everything that goes
// over any open port is appended to one file, for long unattended tests.
#pragma once

#include <cstdint>
#include <string>

enum class ECaptureForm {
  Text,  // one line per event: time, port, direction and the bytes, escaped
  Raw,   // the received bytes alone, exactly
};

// Opens strPath for appending (created with mode 0600) and captures from now on.
// TOBREL_OK, or TOBREL_ERR_CAPTURE with a message saying why the file cannot be opened.
uint32_t StartCapture(const std::string& strPath, ECaptureForm form);
// Writes what is pending, flushes and closes the file. Harmless when no capture runs.
void StopCapture();
