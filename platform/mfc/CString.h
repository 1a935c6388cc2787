// UTF-16 string with amortised appends. Copies share storage until one of
// them changes, and a string bound to a window shares its storage with the
// window's text, so a growing record is held once.
#pragma once

#include <string>
#include <string_view>

#include "SharedText.h"

class CString {
 public:
  CString() = default;
  CString(const char16_t* psz) : CString(std::u16string_view(psz ? psz : u"")) {}
  CString(std::u16string_view text) : m_text(text) {}
  // Shares the text's storage.
  CString(const win::CSharedText& text) : m_text(text) {}

  CString& operator=(const char16_t* psz) {
    m_text.Assign(psz ? psz : u"");
    return *this;
  }
  CString& operator=(std::u16string_view text) {
    m_text.Assign(text);
    return *this;
  }
  CString& operator=(const win::CSharedText& text) {
    m_text = text;
    return *this;
  }

  CString& operator+=(const char16_t* psz) {
    if (psz) m_text.Append(psz);
    return *this;
  }
  CString& operator+=(std::u16string_view text) {
    m_text.Append(text);
    return *this;
  }
  CString& operator+=(const CString& other) {
    m_text.Append(other.m_text.View());
    return *this;
  }
  CString& operator+=(char16_t ch) {
    m_text.Append(std::u16string_view(&ch, 1));
    return *this;
  }

  bool IsEmpty() const { return m_text.IsEmpty(); }
  void Empty() { m_text.Clear(); }

  win::CTextRange View() const { return m_text.View(); }
  const win::CSharedText& Shared() const { return m_text; }

  friend bool operator==(const CString& a, const CString& b) { return a.View() == b.View(); }
  friend bool operator==(const CString& a, std::u16string_view b) { return a.View() == b; }

 private:
  win::CSharedText m_text;
};
