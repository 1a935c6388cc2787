#include "FuzzTerminal.h"

#include "Dialog.h"
#include "FakeSerial.h"
#include "TerminalApp.h"
#include "TerminalState.h"

void RunTerminal(const std::function<void(HWND, win::CVirtualClock&)>& script) {
  fake::Serial().Reset();
  fake::Sdk().Reset();
  g_terminalState = TerminalState{};
  win::CVirtualClock clock;
  win::SetClock(&clock);
  win::CScriptModalHost host([&](HWND hDlg) { script(hDlg, clock); }, IDOK);
  win::SetModalHost(&host);
  AfxWinMain();
  win::SetModalHost(nullptr);
  win::SetClock(nullptr);
}
