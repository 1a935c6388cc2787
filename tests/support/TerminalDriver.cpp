#include "TerminalDriver.h"

#include "Menu.h"
#include "TerminalApp.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "UserInput.h"

namespace {

win::CScriptModalHost MakeHost(HWND& hDlg, const std::function<void()>& script,
                               const std::function<void(HWND)>& answerBox,
                               const std::function<void(HMENU)>& menuPerson) {
  win::CScriptModalHost host(
      [&](HWND h) {
        hDlg = h;
        script();
      },
      IDABORT,
      [&](HWND hBox) {
        if (answerBox) answerBox(hBox);
      });
  host.SetMenuScript([&](HMENU hMenu) {
    if (menuPerson) menuPerson(hMenu);
  });
  return host;
}

}  // namespace

void CTerminalDriver::SetUp() {
  g_terminalState = TerminalState{};
  win::SetClock(&m_clock);
}

void CTerminalDriver::TearDown() {
  win::SetModalHost(nullptr);
  win::SetClock(nullptr);
}

void CTerminalDriver::RunApp(const std::function<void()>& script) {
  auto host = MakeHost(m_hDlg, script, m_answerBox, m_menuPerson);
  win::SetModalHost(&host);
  EXPECT_EQ(AfxWinMain(), 0);
  win::SetModalHost(nullptr);
}

int CTerminalDriver::RunDialog(const std::function<void()>& script) {
  auto host = MakeHost(m_hDlg, script, m_answerBox, m_menuPerson);
  win::SetModalHost(&host);
  CTerminalDlg dlg;
  auto nResult = static_cast<int>(dlg.DoModal());
  win::SetModalHost(nullptr);
  return nResult;
}

HWND CTerminalDriver::Item(int id) const { return GetDlgItem(m_hDlg, id); }
bool CTerminalDriver::Click(int id) { return win::input::Click(Item(id)); }
bool CTerminalDriver::Pick(int id, int nIndex) { return win::input::Pick(Item(id), nIndex); }
bool CTerminalDriver::Type(int id, std::u16string_view text) { return win::input::Edit(Item(id), text); }
std::u16string CTerminalDriver::Text(int id) const { return GetWindowText(Item(id)); }
int CTerminalDriver::Selection(int id) const { return static_cast<int>(SendMessage(Item(id), CB_GETCURSEL, 0, 0)); }

bool CTerminalDriver::WorkMenu(int id, std::function<void(HMENU)> person) {
  m_menuPerson = std::move(person);
  bool bOpened = win::input::ContextMenu(Item(id), POINT{});
  m_menuPerson = nullptr;
  return bOpened;
}

std::vector<std::u16string> CTerminalDriver::MenuItems(HMENU hMenu) {
  std::vector<std::u16string> items;
  for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
    UINT state = GetMenuState(hMenu, i, MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      items.push_back(u"|");
      continue;
    }
    items.push_back(GetMenuString(hMenu, i, MF_BYPOSITION) + (state & MF_CHECKED ? u"+" : u"") +
                    (state & MF_GRAYED ? u"-" : u""));
  }
  return items;
}

std::vector<std::u16string> CTerminalDriver::BoxButtons(HWND hBox) {
  std::vector<std::u16string> captions;
  for (HWND h : GetChildren(hBox))
    if (GetWindowClass(h) == WindowClass::Button) captions.push_back(GetWindowText(h));
  return captions;
}

std::u16string CTerminalDriver::BoxText(HWND hBox) {
  for (HWND h : GetChildren(hBox))
    if (GetWindowClass(h) == WindowClass::Static) return GetWindowText(h);
  return u"";
}

bool CTerminalDriver::ClickBoxButton(HWND hBox, std::u16string_view caption) {
  for (HWND h : GetChildren(hBox))
    if (GetWindowClass(h) == WindowClass::Button && GetWindowText(h) == caption) return win::input::Click(h);
  return false;
}
