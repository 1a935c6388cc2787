// The framework's dialog: a modal run on a template from the resources.
#pragma once

#include "CWnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  virtual INT_PTR DoModal();
  void EndDialog(int nResult);

 protected:
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  UINT m_nIDHelp;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()
};
