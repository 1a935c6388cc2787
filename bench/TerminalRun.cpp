#include "TerminalRun.h"

#include <cstdio>
#include <cstdlib>

#include "BenchView.h"
#include "CWinApp.h"
#include "Dialog.h"
#include "EditBox.h"
#include "TerminalState.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

namespace bench {

void RunTerminal(const std::string& strDevice, const std::function<void(HWND)>& scenario) {
  setenv("QUORVEL_COM1", strDevice.c_str(), 1);
  unsetenv("QUORVEL_BACKPLANE");
  View().Run(scenario);
}

void RunHeadless(const std::function<void(HWND)>& scenario) {
  win::CScriptModalHost host(scenario, IDOK);
  win::SetModalHost(&host);
  AfxWinMain();
  win::SetModalHost(nullptr);
}

bool OpenPort(HWND hDlg) {
  constexpr int kBaud921600 = 9;
  win::input::Pick(GetDlgItem(hDlg, IDC_COMBO_BAUD), kBaud921600);
  win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_OPEN));
  if (g_terminalState.lastResult == 0) return true;
  std::u16string status = GetWindowText(GetDlgItem(hDlg, IDC_EDIT_STATUS));
  std::fprintf(stderr, "bench: opening COM1 failed (%u): %s\n", g_terminalState.lastResult,
               std::string(status.begin(), status.end()).c_str());
  return false;
}

size_t RecordLength(HWND hDlg) { return GetWindowTextShared(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)).Length(); }

win::CTextRange RecordText(HWND hDlg) { return GetWindowTextShared(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)).View(); }

void ClearRecord(HWND hDlg) { win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_CLEAR_RECEIVE)); }

void ShowHexWithTimes(HWND hDlg) { win::SetEditForm(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD), {true, true}); }

bool RecordShowsText(HWND hDlg) {
  return win::GetEditForm(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)) == win::SEditForm{};
}

size_t RecordTimesBytes(HWND hDlg) {
  return win::GetTextTimes(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)).MemoryBytes();
}

}  // namespace bench
