#include "TerminalHarness.h"

#include "TerminalApp.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

namespace {

class CScriptHost final : public win::CModalHost {
 public:
  CScriptHost(HWND& hDlg, const std::function<void()>& script) : m_hDlg(hDlg), m_script(script) {}
  void RunModalLoop(HWND hDlg) override {
    m_hDlg = hDlg;
    m_script();
    if (!IsDialogEnded(hDlg)) EndDialog(hDlg, IDABORT);
  }

 private:
  HWND& m_hDlg;
  const std::function<void()>& m_script;
};

}  // namespace

void CTerminalHarness::SetUp() {
  fake::Serial().Reset();
  fake::Sdk().Reset();
  g_terminalState = TerminalState{};
  win::SetClock(&m_clock);
}

void CTerminalHarness::TearDown() {
  win::SetModalHost(nullptr);
  win::SetClock(nullptr);
}

void CTerminalHarness::RunApp(const std::function<void()>& script) {
  CScriptHost host(m_hDlg, script);
  win::SetModalHost(&host);
  EXPECT_EQ(AfxWinMain(), 0);
  win::SetModalHost(nullptr);
}

int CTerminalHarness::RunDialog(const std::function<void()>& script) {
  CScriptHost host(m_hDlg, script);
  win::SetModalHost(&host);
  CTerminalDlg dlg;
  auto nResult = static_cast<int>(dlg.DoModal());
  win::SetModalHost(nullptr);
  return nResult;
}

HWND CTerminalHarness::Item(int id) const { return GetDlgItem(m_hDlg, id); }
bool CTerminalHarness::Click(int id) { return win::input::Click(Item(id)); }
bool CTerminalHarness::Pick(int id, int nIndex) { return win::input::Pick(Item(id), nIndex); }
bool CTerminalHarness::Type(int id, std::u16string_view text) { return win::input::Edit(Item(id), text); }
std::u16string CTerminalHarness::Text(int id) const { return GetWindowText(Item(id)); }
int CTerminalHarness::Selection(int id) const { return static_cast<int>(SendMessage(Item(id), CB_GETCURSEL, 0, 0)); }

void CTerminalHarness::OpenPort() {
  ASSERT_TRUE(Click(IDC_BUTTON_OPEN));
  serial.calls.clear();
}

std::u16string U16(std::string_view text) { return std::u16string(text.begin(), text.end()); }
std::vector<uint8_t> Bytes(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }
