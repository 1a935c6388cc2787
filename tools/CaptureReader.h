// Reads the serial library's capture file (text form) back: each line's time, port,
// direction and bytes, the escapes undone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SCaptureLine {
  std::string strTime;            // 2026-12-09T03:04:05.678+01:00
  std::string strPort;            // COM3, or - for the file itself
  char cDirection = 0;            // '<', '>' or '!'
  std::vector<uint8_t> vecBytes;  // the bytes; for '!' the event's text
};

// False, with what is wrong in strError, for a line not in the format.
bool ParseCaptureLine(std::string_view line, SCaptureLine& parsed, std::string& strError);
// Every line of the text, each ended by LF but perhaps the last; false when one is not in
// the format.
bool ParseCaptureText(std::string_view text, std::vector<SCaptureLine>& vecLines, std::string& strError);
// Every line of the file; false when it cannot be read or a line is not in the format.
bool ReadCaptureFile(const std::string& strPath, std::vector<SCaptureLine>& vecLines, std::string& strError);
