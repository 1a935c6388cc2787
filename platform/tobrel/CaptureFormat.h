// The capture file's text form: one line per event, "TIME PORT DIR BYTES", with the time in
// ISO 8601 local time with milliseconds and offset, DIR "<" received, ">" sent or "!" an
// event, and the bytes escaped so that the line is plain text and decodes back exactly.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

using WallClock = std::chrono::system_clock;

// Printable ASCII as it is, "\\" for a backslash, "\r", "\n", "\t", and "\xNN" for the rest.
void AppendEscaped(const uint8_t* pData, size_t nCount, std::string& strOut);

class CCaptureFormatter {
 public:
  // Received bytes continue the port's open line for 100 ms of the stream; an LF ends it.
  void Received(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount, std::string& strOut);
  void Sent(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount, std::string& strOut);
  // nPort 0: an event of the file itself.
  void Event(WallClock::time_point time, uint8_t nPort, std::string_view text, std::string& strOut);
  // Ends the open line, if any.
  void EndLine(std::string& strOut);
  // Forgets the open line without ending it: what was written of it is gone.
  void Forget() { m_bLineOpen = false; }

 private:
  void StartLine(WallClock::time_point time, uint8_t nPort, char cDirection, std::string& strOut);
  void AppendTime(WallClock::time_point time, std::string& strOut);

  bool m_bLineOpen = false;
  uint8_t m_nLinePort = 0;
  WallClock::time_point m_lineStart{};
  // The time text up to the seconds, and the offset, of the second last formatted.
  std::time_t m_nCachedSecond = -1;
  std::string m_strCachedSecond;
  std::string m_strCachedOffset;
};
