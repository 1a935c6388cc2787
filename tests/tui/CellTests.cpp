// Cells of the text view built alone, on a host that stands in for the view:
// a person's clicks and keys on a cell reach the window system through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "CellHost.h"
#include "Clipboard.h"
#include "ComboCell.h"
#include "RecordCell.h"
#include "SharedText.h"
#include "Window.h"

namespace {

// Records what the cells hand on, and does it as the view does.
class CRecordingHost final : public tui::CCellHost {
 public:
  void Feed(HWND hWnd, const std::function<void()>& action) override {
    m_vecFed.push_back(hWnd);
    HWND hSaved = m_hFeeding;
    m_hFeeding = hWnd;
    action();
    m_hFeeding = hSaved;
  }
  bool IsFeeding(HWND hWnd) const override { return m_hFeeding == hWnd; }
  void InvalidateAll() override { ++m_nInvalidated; }
  SIZE ScreenSize() const override { return m_size; }

  std::vector<HWND> m_vecFed;
  int m_nInvalidated = 0;
  SIZE m_size{80, 24};

 private:
  HWND m_hFeeding = nullptr;
};

struct CCommandLog {
  static inline std::vector<WPARAM> vecCommands;
  static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND) vecCommands.push_back(w);
    return DefWindowProc(h, m, w, l);
  }
};

class CCellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CCommandLog::vecCommands.clear();
    m_hDlg = CreateWindowFromParams(
        {.cls = WindowClass::Dialog, .style = WS_POPUP | WS_VISIBLE, .text = u"test", .proc = CCommandLog::Proc});
  }
  void TearDown() override { DestroyWindow(m_hDlg); }
  HWND Create(WindowClass cls, DWORD style, int id, std::u16string_view text) {
    return CreateWindowFromParams(
        {.cls = cls, .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, .id = id, .text = text, .parent = m_hDlg});
  }

  CRecordingHost m_host;
  HWND m_hDlg = nullptr;
};

tui::SInput MouseAt(tui::EMouse mouse, int x, int y) {
  return {.key = tui::EKey::Mouse, .mouse = mouse, .x = x, .y = y};
}

}  // namespace

TEST_F(CCellTest, AClickInARecordBoxFocusesItAndPutsTheCaretAtTheCell) {
  HWND hRecord = Create(WindowClass::Edit, ES_MULTILINE | WS_VSCROLL | ES_READONLY, 7, u"first line\r\nsecond");
  tui::CRecordCell cell(m_host, hRecord);
  cell.SetRect({.x = 2, .y = 3, .cx = 20, .cy = 4});

  EXPECT_TRUE(cell.Mouse(MouseAt(tui::EMouse::Press, 2 + 3, 3 + 1)));
  EXPECT_TRUE(cell.Mouse(MouseAt(tui::EMouse::Release, 2 + 3, 3 + 1)));

  EXPECT_EQ(GetFocus(), hRecord);
  EXPECT_EQ(win::GetEditSelection(hRecord).Caret(), std::u16string_view(u"first line\r\nsec").size());
  ASSERT_FALSE(m_host.m_vecFed.empty());
  for (HWND h : m_host.m_vecFed) EXPECT_EQ(h, hRecord);

  // The wheel scrolls the box without handing anything on.
  size_t nFed = m_host.m_vecFed.size();
  EXPECT_TRUE(cell.Mouse(MouseAt(tui::EMouse::WheelDown, 4, 4)));
  EXPECT_EQ(m_host.m_vecFed.size(), nFed);
}

TEST_F(CCellTest, AListDroppedByKeyFitsTheHostsScreenAndHandsOnThePick) {
  HWND hCombo = Create(WindowClass::ComboBox, CBS_DROPDOWN, 9, u"");
  for (const char16_t* item : {u"9600", u"19200", u"38400"})
    SendMessage(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessage(hCombo, CB_SETCURSEL, 0, 0);
  tui::CComboCell cell(m_host, hCombo);
  cell.SetRect({.x = 10, .y = 22, .cx = 12, .cy = 1});

  EXPECT_TRUE(cell.Key({.key = tui::EKey::DropDown}));
  EXPECT_EQ(m_host.m_nInvalidated, 1);
  // No room below the field on the host's 24 rows: the list opens above it.
  EXPECT_EQ(cell.Popup(), (tui::SCellRect{.x = 10, .y = 19, .cx = 12, .cy = 3}));
  m_host.m_size = {80, 40};
  EXPECT_EQ(cell.Popup(), (tui::SCellRect{.x = 10, .y = 23, .cx = 12, .cy = 3}));

  EXPECT_TRUE(cell.Key({.key = tui::EKey::Down}));
  EXPECT_TRUE(cell.Key({.key = tui::EKey::Down}));
  EXPECT_TRUE(m_host.m_vecFed.empty());
  EXPECT_TRUE(cell.Key({.key = tui::EKey::Enter}));

  EXPECT_EQ(m_host.m_vecFed, std::vector<HWND>{hCombo});
  EXPECT_EQ(SendMessage(hCombo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(CCommandLog::vecCommands, std::vector<WPARAM>{MAKEWPARAM(9, CBN_SELCHANGE)});
  EXPECT_EQ(cell.Popup(), std::nullopt);
  EXPECT_EQ(m_host.m_nInvalidated, 2);
}

// A record past the resident bound: its older lines, read back from the
// store's file, are scrolled to, selected with the mouse and copied whole.
TEST_F(CCellTest, ARecordPastTheResidentBoundSelectsAndCopiesFromItsFile) {
  char szCache[] = "/tmp/quorvel-cell-XXXXXX";
  ASSERT_NE(mkdtemp(szCache), nullptr);
  setenv("XDG_CACHE_HOME", szCache, 1);
  win::SetTextResidentBound(2 * win::CTextStore::kChunkUnits);
  std::u16string strAll;
  win::CSharedText record;
  for (int i = 0; i < 60000; ++i) {
    std::string strLine = "line " + std::to_string(i) + "\r\n";
    strAll.append(strLine.begin(), strLine.end());
    record.Append(std::u16string(strLine.begin(), strLine.end()));
  }
  ASSERT_GT(record.View().Store()->StoredBytes(), 0u);
  HWND hRecord = Create(WindowClass::Edit, ES_MULTILINE | WS_VSCROLL | ES_READONLY, 7, u"");
  SetWindowTextShared(hRecord, record);
  {
    tui::CRecordCell cell(m_host, hRecord);
    cell.SetRect({.x = 0, .y = 0, .cx = 30, .cy = 10});
    auto drag = [&](int nFromRow, int nToRow) {
      cell.Mouse(MouseAt(tui::EMouse::Press, 0, nFromRow));
      cell.Mouse(MouseAt(tui::EMouse::Drag, 0, nToRow));
      cell.Mouse(MouseAt(tui::EMouse::Release, 0, nToRow));
      return win::GetClipboardText();
    };
    EXPECT_EQ(drag(0, 2), u"line 0\r\nline 1\r\n");
    // The caret shown at the start of line 30000 puts it on the last row.
    const size_t nLine30000 = strAll.find(u"line 30000\r\n");
    SendMessage(hRecord, EM_SETSEL, nLine30000, static_cast<LPARAM>(nLine30000));
    cell.ShowSelection();  // as the view does when the selection moves
    EXPECT_EQ(drag(8, 9), u"line 29999\r\n");
    SendMessage(hRecord, EM_SETSEL, 0, -1);
    SendMessage(hRecord, WM_COPY, 0, 0);
    EXPECT_EQ(win::GetClipboardText(), strAll);
  }
  win::SetTextResidentBound(win::kDefaultResidentBound);
  unsetenv("XDG_CACHE_HOME");
  std::filesystem::remove_all(szCache);
}
