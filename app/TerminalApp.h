// The application: runs the terminal dialog as its one window.
#pragma once

#include "afxwin.h"

class CTerminalApp : public CWinApp {
 public:
  CTerminalApp();
  BOOL InitInstance() override;
};

extern CTerminalApp theApp;
