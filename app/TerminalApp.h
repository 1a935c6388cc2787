// The application: runs the terminal dialog as its one window.
#pragma once

#include "afxwin.h"

class CTerminalApp : public CWinApp {
 public:
  // Registers the program's resources, so they are there from its start.
  CTerminalApp();
  BOOL InitInstance() override;
};

extern CTerminalApp theApp;
