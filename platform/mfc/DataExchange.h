// Data exchange between a dialog's members and its controls.
#pragma once

#include "CString.h"
#include "WinTypes.h"

class CWnd;

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
  BOOL m_bSaveAndValidate;  // TRUE: from the screen into the members
  CWnd* m_pDlgWnd;
};

// Binds a wrapper to its dialog item on the first exchange.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Exchanges a string with an edit box. To the screen, the box shares the
// string's storage, so a string that only grew costs only its new text.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
