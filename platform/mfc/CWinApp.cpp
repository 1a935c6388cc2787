#include "CWinApp.h"

#include "Resource.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp(const char16_t* lpszAppName) : m_pszAppName(lpszAppName ? lpszAppName : u"") { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

// The desktop's event loop drives every window, so the application has no
// loop of its own once its windows have closed.
int CWinApp::Run() { return ExitInstance(); }

HICON CWinApp::LoadIcon(UINT nIDResource) const { return ::LoadIcon(static_cast<int>(nIDResource)); }

void CWinApp::SetDialogBkColor(COLORREF clrCtlBk, COLORREF clrCtlText) {
  m_bDialogColors = true;
  m_clrDialogBk = clrCtlBk;
  m_clrDialogText = clrCtlText;
}

CWinApp* AfxGetApp() { return g_pApp; }

const char16_t* AfxGetAppName() { return g_pApp ? g_pApp->m_pszAppName : u""; }

int AfxWinMain() {
  CWinApp* pApp = AfxGetApp();
  if (!pApp) return -1;
  if (!pApp->InitInstance()) return pApp->ExitInstance();
  return pApp->Run();
}
