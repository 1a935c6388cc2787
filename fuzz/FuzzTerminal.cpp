#include "FuzzTerminal.h"

#include "Dialog.h"
#include "FakeSerial.h"
#include "TerminalApp.h"
#include "TerminalState.h"

namespace {

class CScriptHost final : public win::CModalHost {
 public:
  CScriptHost(const std::function<void(HWND, win::CVirtualClock&)>& script, win::CVirtualClock& clock)
      : m_script(script), m_clock(clock) {}
  void RunModalLoop(HWND hDlg) override {
    m_script(hDlg, m_clock);
    EndDialog(hDlg, IDOK);
  }

 private:
  const std::function<void(HWND, win::CVirtualClock&)>& m_script;
  win::CVirtualClock& m_clock;
};

}  // namespace

void RunTerminal(const std::function<void(HWND, win::CVirtualClock&)>& script) {
  fake::Serial().Reset();
  fake::Sdk().Reset();
  g_terminalState = TerminalState{};
  win::CVirtualClock clock;
  win::SetClock(&clock);
  CScriptHost host(script, clock);
  win::SetModalHost(&host);
  AfxWinMain();
  win::SetModalHost(nullptr);
  win::SetClock(nullptr);
}
