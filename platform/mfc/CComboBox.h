// The framework's wrapper of a combo box.
#pragma once

#include "CWnd.h"

class CComboBox : public CWnd {
 public:
  int GetCurSel() const { return static_cast<int>(::SendMessage(m_hWnd, CB_GETCURSEL, 0, 0)); }
  int SetCurSel(int nSelect) {
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(static_cast<intptr_t>(nSelect))));
  }
};
