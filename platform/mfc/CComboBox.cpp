#include "CComboBox.h"

#include <string>

#include "Window.h"

void CComboBox::GetLBText(int nIndex, CString& rString) const {
  LRESULT n = ::SendMessage(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
  if (n == CB_ERR) {
    rString.Empty();
    return;
  }
  std::u16string text(static_cast<size_t>(n), u'\0');
  ::SendMessage(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
  rString = text;
}
