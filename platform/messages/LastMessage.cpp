#include "LastMessage.h"

#include "SystemText.h"

uint32_t CLastMessage::Report(uint32_t nCode, std::string strDetail) {
  m_nCode = nCode;
  m_strDetail = std::move(strDetail);
  return nCode;
}

const std::string* CLastMessage::DetailOf(uint32_t nCode) const {
  return nCode == m_nCode && !m_strDetail.empty() ? &m_strDetail : nullptr;
}

const char16_t* CLastMessage::Show(std::string_view strText) {
  m_strShown = WidenUtf8(strText);
  return m_strShown.c_str();
}
