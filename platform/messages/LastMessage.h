// What a library's latest call on this thread answered and said about it, so that the
// message for a result tells more than its generic text. Each library keeps one per thread;
// only calls that do something report, a query leaves it as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CLastMessage {
 public:
  // Keeps strDetail as what the latest call said about nCode and answers nCode, so a call
  // ends with "return Report(...)".
  uint32_t Report(uint32_t nCode, std::string strDetail);
  // The detail of nCode when the latest call answered it with one, else nullptr.
  const std::string* DetailOf(uint32_t nCode) const;
  uint32_t Code() const { return m_nCode; }
  const std::string& Detail() const { return m_strDetail; }

  // strText as NUL-terminated UTF-16 for a C caller; valid until the next Show.
  const char16_t* Show(std::string_view strText);

 private:
  uint32_t m_nCode = 0;
  std::string m_strDetail;
  std::u16string m_strShown;
};
