// The framework's wrapper of a combo box.
#pragma once

#include "CWnd.h"

class CComboBox : public CWnd {
 public:
  int GetCurSel() const { return static_cast<int>(::SendMessage(m_hWnd, CB_GETCURSEL, 0, 0)); }
  int SetCurSel(int nSelect) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(static_cast<intptr_t>(nSelect))));
  }
  int GetCount() const { return static_cast<int>(::SendMessage(m_hWnd, CB_GETCOUNT, 0, 0)); }
  int AddString(const char16_t* lpszString) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
  }
  void GetLBText(int nIndex, CString& rString) const;
};
