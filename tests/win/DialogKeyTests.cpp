// The dialog manager's keys: it asks the focused control which keys it wants,
// hands it those, and keeps Tab, Enter and Escape for itself; Tab selects the
// whole text of an edit box it moves to.
#include <gtest/gtest.h>

#include "Dialog.h"
#include "EditBox.h"
#include "UserInput.h"
#include "Window.h"

using win::input::kAlt;
using win::input::kCtrl;
using win::input::kShift;

namespace {

struct CCommandLog {
  static inline std::vector<int> commands;
  static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND && HIWORD(w) == BN_CLICKED) commands.push_back(LOWORD(w));
    return DefWindowProc(h, m, w, l);
  }
};

constexpr int kEdit = 10, kRecord = 11, kCombo = 12, kButton = 13;

class CDialogKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CCommandLog::commands.clear();
    win::DialogTemplate tmpl{
        WS_POPUP | WS_VISIBLE,
        0,
        0,
        0,
        100,
        100,
        u"test",
        u"System",
        8,
        {{WindowClass::Edit, WS_VISIBLE | WS_TABSTOP, kEdit, u"field", 0, 0, 50, 10},
         {WindowClass::Edit, WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, kRecord, u"record", 0, 20, 50, 30},
         {WindowClass::ComboBox, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, kCombo, nullptr, 0, 60, 50, 50},
         {WindowClass::Button, WS_VISIBLE | WS_TABSTOP, kButton, u"Go", 60, 0, 30, 10}}};
    m_hDlg = CreateDialogIndirect(tmpl, nullptr, CCommandLog::Proc, nullptr);
    for (const char16_t* item : {u"one", u"two"})
      SendMessage(Item(kCombo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  void TearDown() override { DestroyWindow(m_hDlg); }
  HWND Item(int id) const { return GetDlgItem(m_hDlg, id); }
  std::pair<size_t, size_t> Sel(int id) const {
    win::CTextSelection sel = win::GetEditSelection(Item(id));
    return {sel.Anchor(), sel.Caret()};
  }

  HWND m_hDlg = nullptr;
};

using P = std::pair<size_t, size_t>;

}  // namespace

TEST_F(CDialogKeyTest, ControlsSayWhichKeysTheyWant) {
  EXPECT_EQ(SendMessage(Item(kEdit), WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL);
  EXPECT_EQ(SendMessage(Item(kRecord), WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_WANTARROWS);
  EXPECT_EQ(SendMessage(Item(kCombo), WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL);
  EXPECT_EQ(SendMessage(Item(kButton), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
}

TEST_F(CDialogKeyTest, TabSelectsAnEditBoxsTextButAClickDoesNot) {
  // The first tab stop has the focus and its text selected.
  EXPECT_EQ(GetFocus(), Item(kEdit));
  EXPECT_EQ(Sel(kEdit), (P{0, 5}));
  win::input::PressKey(m_hDlg, VK_TAB);
  EXPECT_EQ(GetFocus(), Item(kRecord));
  EXPECT_EQ(Sel(kRecord), (P{0, 0}));  // a record box is not selected whole
  win::input::PressKey(m_hDlg, VK_TAB, kShift);
  EXPECT_EQ(GetFocus(), Item(kEdit));
  EXPECT_EQ(Sel(kEdit), (P{0, 5}));
  SendMessage(Item(kEdit), EM_SETSEL, 2, 2);
  win::input::Focus(Item(kButton));
  win::input::Focus(Item(kEdit));
  EXPECT_EQ(Sel(kEdit), (P{2, 2}));
}

TEST_F(CDialogKeyTest, TheFocusedControlGetsTheKeysItWantsAndTheDialogTheRest) {
  // Editing keys and characters go to the focused edit box.
  EXPECT_TRUE(win::input::PressKey(m_hDlg, VK_END));
  EXPECT_TRUE(win::input::Type(m_hDlg, U'!'));
  EXPECT_EQ(GetWindowText(Item(kEdit)), u"field!");
  EXPECT_TRUE(win::input::PressKey(m_hDlg, VK_HOME, kShift));
  EXPECT_EQ(Sel(kEdit), (P{6, 0}));
  // Enter in a record box without want-return is the dialog's OK.
  win::input::Focus(Item(kRecord));
  EXPECT_TRUE(win::input::PressKey(m_hDlg, VK_RETURN));
  EXPECT_EQ(CCommandLog::commands, (std::vector<int>{IDOK}));
  EXPECT_EQ(GetWindowText(Item(kRecord)), u"record");
  // A list's field takes its arrows: Down picks.
  win::input::Focus(Item(kCombo));
  EXPECT_TRUE(win::input::PressKey(m_hDlg, VK_DOWN));
  EXPECT_EQ(GetWindowText(Item(kCombo)), u"one");
  // Alt with a key is no dialog key, nor Ctrl with Tab.
  EXPECT_FALSE(win::input::PressKey(m_hDlg, VK_DOWN, kAlt));
  EXPECT_FALSE(win::input::PressKey(m_hDlg, VK_TAB, kCtrl));
  EXPECT_EQ(GetFocus(), Item(kCombo));
  // A button takes neither arrows nor characters; Escape is Cancel.
  win::input::Focus(Item(kButton));
  EXPECT_FALSE(win::input::PressKey(m_hDlg, VK_LEFT));
  EXPECT_FALSE(win::input::Type(m_hDlg, U' '));
  EXPECT_TRUE(win::input::PressKey(m_hDlg, VK_RETURN));
  EXPECT_TRUE(win::input::PressKey(m_hDlg, VK_ESCAPE));
  EXPECT_EQ(CCommandLog::commands, (std::vector<int>{IDOK, kButton, IDCANCEL}));
}

TEST_F(CDialogKeyTest, APasteIsTextAFieldOfOneLineTakingItsFirstLine) {
  // A field of one line and a list's field take the first line, at the selection.
  SendMessage(Item(kEdit), EM_SETSEL, 5, 5);
  EXPECT_TRUE(win::input::Paste(Item(kEdit), u" one\r\ntwo"));
  EXPECT_EQ(GetWindowText(Item(kEdit)), u"field one");
  EXPECT_TRUE(win::input::Paste(Item(kCombo), u"typed\rmore"));
  EXPECT_EQ(GetWindowText(Item(kCombo)), u"typed");
  // A record box takes it whole; none of it reaches the dialog as Enter.
  SendMessage(Item(kRecord), EM_SETSEL, 0, -1);
  EXPECT_TRUE(win::input::Paste(Item(kRecord), u"a\r\nb\r\n"));
  EXPECT_EQ(GetWindowText(Item(kRecord)), u"a\r\nb\r\n");
  // A button takes nothing.
  EXPECT_FALSE(win::input::Paste(Item(kButton), u"x\r\n"));
  EXPECT_EQ(CCommandLog::commands, std::vector<int>{});
}
