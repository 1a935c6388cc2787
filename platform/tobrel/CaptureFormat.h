// The capture file's text form: one line per event, "TIME PORT DIR BYTES", with the time in
// ISO 8601 local time with milliseconds and offset, DIR "<" received, ">" sent or "!" an
// event, and the bytes escaped so that the line is plain text and decodes back exactly.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

namespace tobrel {

using WallClock = std::chrono::system_clock;

// Text being formatted. It grows without first clearing the room it adds, and keeps its
// memory when cleared, so a batch after the first costs no allocation.
class CCaptureText {
 public:
  // Room for nCount more bytes at the end; Commit then says where the written ones end.
  char* Room(size_t nCount) { return m_nCapacity - m_nSize >= nCount ? m_pData.get() + m_nSize : Grow(nCount); }
  void Commit(const char* pEnd) { m_nSize = static_cast<size_t>(pEnd - m_pData.get()); }
  void Append(std::string_view text);
  void Append(char c) { *Room(1) = c, ++m_nSize; }
  void Prepend(std::string_view text);
  void Clear() { m_nSize = 0; }
  const char* Data() const { return m_pData.get(); }
  size_t Size() const { return m_nSize; }
  bool Empty() const { return m_nSize == 0; }
  std::string_view View() const { return {m_pData.get(), m_nSize}; }

 private:
  char* Grow(size_t nCount);

  std::unique_ptr<char[]> m_pData;
  size_t m_nSize = 0;
  size_t m_nCapacity = 0;
};

class CCaptureFormatter {
 public:
  static constexpr size_t kHeadRoom = 48;

  // Received bytes continue the port's open line for 100 ms of the stream; an LF ends it.
  void Received(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount, CCaptureText& out);
  void Sent(WallClock::time_point time, uint8_t nPort, const uint8_t* pData, size_t nCount, CCaptureText& out);
  // nPort 0: an event of the file itself.
  void Event(WallClock::time_point time, uint8_t nPort, std::string_view text, CCaptureText& out);
  // Ends the open line, if any.
  void EndLine(CCaptureText& out);
  // Forgets the open line without ending it: what was written of it is gone.
  void Forget() { m_bLineOpen = false; }

 private:
  void StartLine(WallClock::time_point time, uint8_t nPort, char cDirection, CCaptureText& out);
  // The start of a line: its time, port and direction. Made anew only when the millisecond
  // or the port changes, and then only the digits of the millisecond unless the second does.
  std::string_view Head(WallClock::time_point time, uint8_t nPort, char cDirection);

  bool m_bLineOpen = false;
  uint8_t m_nLinePort = 0;
  WallClock::time_point m_lineStart{};
  int64_t m_nHeadMilli = -1;
  uint8_t m_nHeadPort = 0;
  // "YYYY-MM-DDTHH:MM:SS.mmm+HH:MM PORT D ", of the millisecond and port last formatted;
  // the room after it lets a head be copied as a whole block.
  std::array<char, kHeadRoom> m_aHead{};
  size_t m_nHeadLength = 0;
};

}  // namespace tobrel
