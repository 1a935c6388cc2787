// The framework's application object and its main routine.
#pragma once

#include "CWnd.h"

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(const char16_t* lpszAppName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();

  HICON LoadIcon(UINT nIDResource) const;
  // Colours the framework paints its dialogs with.
  void SetDialogBkColor(COLORREF clrCtlBk = RGB(192, 192, 192), COLORREF clrCtlText = RGB(0, 0, 0));
  bool HasDialogColors() const { return m_bDialogColors; }
  COLORREF GetDialogBkColor() const { return m_clrDialogBk; }
  COLORREF GetDialogTextColor() const { return m_clrDialogText; }

  CWnd* m_pMainWnd = nullptr;
  // The caption of the application's message boxes.
  const char16_t* m_pszAppName;

 private:
  bool m_bDialogColors = false;
  COLORREF m_clrDialogBk = 0;
  COLORREF m_clrDialogText = 0;
};

CWinApp* AfxGetApp();
const char16_t* AfxGetAppName();
// The framework's main routine: initialises the one application object and
// runs it.
int AfxWinMain();
