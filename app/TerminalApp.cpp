#include "TerminalApp.h"

#include "ModuleResources.h"
#include "TerminalDlg.h"
#include "VersionInfo.h"

CTerminalApp theApp;

// The version record's internal name is the caption of the message boxes.
CTerminalApp::CTerminalApp() : CWinApp(kVersionInfo.pszInternalName) { resources::RegisterModuleResources(); }

BOOL CTerminalApp::InitInstance() {
  // Light peach (red in the low byte) behind black text.
  SetDialogBkColor(RGB(255, 193, 164), RGB(0, 0, 0));

  CTerminalDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;

  // No message loop of the application's own: the process ends here.
  return FALSE;
}
