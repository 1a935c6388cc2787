// The edit box's rules, as a person's keys, typing and clicks reach them
// through the window system: a record box whose rows a view lends it
// (wrapped at a grid's width), and a one-line field.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Clipboard.h"
#include "EditBoxRows.h"
#include "TextMeasure.h"
#include "UserInput.h"
#include "Window.h"

using win::input::kCtrl;
using win::input::kShift;

namespace {

struct CChangeLog {
  static inline int nChanges = 0;
  static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND && HIWORD(w) == EN_CHANGE) ++nChanges;
    return DefWindowProc(h, m, w, l);
  }
};

class CEditBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CChangeLog::nChanges = 0;
    win::SetClipboardText(u"");
    m_hParent = CreateWindowFromParams(
        {.cls = WindowClass::Dialog, .style = WS_POPUP | WS_VISIBLE, .text = u"test", .proc = CChangeLog::Proc});
  }
  void TearDown() override {
    m_pRows.reset();
    DestroyWindow(m_hParent);
  }
  // A record box of nWidth columns and nPage rows in view.
  void Record(std::u16string_view text, double fWidth, size_t nPage, DWORD style = 0) {
    Create(ES_MULTILINE | WS_VSCROLL | style, text);
    m_pRows = std::make_unique<view::CEditBoxRows>(m_hEdit);
    m_pRows->Layout().SetMeasure(&m_columns);
    m_pRows->Layout().SetWidth(fWidth);
    m_pRows->SetPageRows(nPage);
  }
  void Create(DWORD style, std::u16string_view text) {
    m_hEdit = CreateWindowFromParams({.cls = WindowClass::Edit,
                                      .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                                      .id = 5,
                                      .text = text,
                                      .parent = m_hParent});
  }
  void Key(UINT vk, UINT nModifiers = 0) { ASSERT_TRUE(win::input::Key(m_hEdit, vk, nModifiers)); }
  void Type(std::u32string_view typed) {
    for (char32_t c : typed) win::input::Char(m_hEdit, c);
  }
  void Select(size_t nAnchor, size_t nCaret) { SendMessage(m_hEdit, EM_SETSEL, nAnchor, static_cast<LPARAM>(nCaret)); }
  size_t Caret() const { return win::GetEditSelection(m_hEdit).Caret(); }
  std::pair<size_t, size_t> Sel() const {
    win::CTextSelection sel = win::GetEditSelection(m_hEdit);
    return {sel.Anchor(), sel.Caret()};
  }
  std::u16string Text() const { return GetWindowText(m_hEdit); }

  HWND m_hParent = nullptr;
  HWND m_hEdit = nullptr;
  view::CColumnMeasure m_columns;
  std::unique_ptr<view::CEditBoxRows> m_pRows;
};

using P = std::pair<size_t, size_t>;

}  // namespace

TEST_F(CEditBoxTest, HomeAndEndKeepToTheRowShownCtrlToTheWholeText) {
  // Rows: "abcdefghij " "klmno" "pq" "rstuvw"
  Record(u"abcdefghij klmno\r\npq\r\nrstuvw", 11, 2);
  Select(13, 13);
  Key(VK_HOME);
  EXPECT_EQ(Caret(), 11u);
  Key(VK_END);
  EXPECT_EQ(Caret(), 16u);
  Select(3, 3);
  Key(VK_END);
  EXPECT_EQ(Caret(), 10u);  // before the blank the row wraps at
  Key(VK_HOME, kCtrl | kShift);
  EXPECT_EQ(Sel(), (P{10, 0}));
  Key(VK_END, kCtrl);
  EXPECT_EQ(Sel(), (P{Text().size(), Text().size()}));
  Key(VK_HOME, kShift);
  EXPECT_EQ(Sel(), (P{Text().size(), 22}));
}

TEST_F(CEditBoxTest, UpAndDownKeepTheirColumnAndPagesScrollTheView) {
  Record(u"abcdefghij klmno\r\npq\r\nrstuvw\r\nxyz", 11, 2);
  Select(14, 14);  // column 3 of "klmno"
  Key(VK_DOWN);
  EXPECT_EQ(Caret(), 20u);  // "pq" is short
  Key(VK_DOWN);
  EXPECT_EQ(Caret(), 25u);  // and the column comes back
  Key(VK_UP, kShift);
  EXPECT_EQ(Sel(), (P{25, 20}));
  Select(3, 3);
  Key(VK_NEXT);
  EXPECT_EQ(Caret(), 20u);
  EXPECT_EQ(m_pRows->Top(), (view::SViewTop{1, 0}));  // the view moved a page with the caret
  Key(VK_PRIOR);
  EXPECT_EQ(Caret(), 3u);
  EXPECT_EQ(m_pRows->Top(), (view::SViewTop{}));
}

TEST_F(CEditBoxTest, AnArrowWithoutShiftDropsTheSelectionAtItsSide) {
  Record(u"one two three\r\nfour five six", 40, 4);
  Select(4, 7);
  Key(VK_LEFT);
  EXPECT_EQ(Sel(), (P{4, 4}));
  Select(7, 4);
  Key(VK_RIGHT);
  EXPECT_EQ(Sel(), (P{7, 7}));
  Select(4, 7);
  Key(VK_RIGHT, kShift);
  EXPECT_EQ(Sel(), (P{4, 8}));  // Shift extends instead
  Key(VK_DOWN);
  EXPECT_EQ(Sel(), (P{23, 23}));  // down from the end
  Select(19, 23);
  Key(VK_UP);
  EXPECT_EQ(Sel(), (P{4, 4}));  // up from the start
  Key(VK_RIGHT, kCtrl);
  EXPECT_EQ(Caret(), 8u);
  Key(VK_RIGHT, kCtrl | kShift);
  EXPECT_EQ(Sel(), (P{8, 13}));
  Key(VK_LEFT, kCtrl);
  EXPECT_EQ(Sel(), (P{8, 8}));
}

TEST_F(CEditBoxTest, SurrogatePairsAndCrLfAreOneStepForArrowsAndErasing) {
  Record(u"a\U0001F600b\r\nc", 40, 4);
  Select(1, 1);
  Key(VK_RIGHT);
  EXPECT_EQ(Caret(), 3u);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_EQ(Caret(), 6u);  // over CR LF
  Key(VK_BACK);
  EXPECT_EQ(Text(), u"a\U0001F600bc");
  Select(1, 1);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), u"abc");
  Type(U"\U0001F601");
  EXPECT_EQ(Text(), u"a\U0001F601bc");
  EXPECT_EQ(Caret(), 3u);
  Key(VK_LEFT, kShift);
  EXPECT_EQ(Sel(), (P{3, 1}));
}

TEST_F(CEditBoxTest, TypingReplacesTheSelectionAndTellsTheParent) {
  Record(u"hello world", 40, 4);
  Select(0, 5);
  Type(U"bye");
  EXPECT_EQ(Text(), u"bye world");
  EXPECT_EQ(Sel(), (P{3, 3}));
  EXPECT_EQ(CChangeLog::nChanges, 3);
  Key(VK_BACK);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), u"byworld");
  Key(VK_LEFT, kCtrl);
  Key('A', kCtrl);
  EXPECT_EQ(Sel(), (P{0, 7}));
  Type(U"\t");  // control characters are no typing
  EXPECT_EQ(Text(), u"byworld");
  // Text set by code shows from its start; an append keeps the selection.
  Select(2, 4);
  SetWindowText(m_hEdit, u"new");
  EXPECT_EQ(Sel(), (P{0, 0}));
  win::CSharedText shared(u"abc");
  SetWindowTextShared(m_hEdit, shared);
  Select(1, 2);
  shared.Append(u"def");
  SetWindowTextShared(m_hEdit, shared);
  EXPECT_EQ(Sel(), (P{1, 2}));
}

TEST_F(CEditBoxTest, CutCopyAndPasteByEveryKeyAndMessage) {
  Record(u"one two", 40, 4);
  Select(0, 3);
  Key('C', kCtrl);
  EXPECT_EQ(win::GetClipboardText(), u"one");
  Select(4, 7);
  Key(VK_INSERT, kCtrl);
  EXPECT_EQ(win::GetClipboardText(), u"two");
  Key(VK_DELETE, kShift);
  EXPECT_EQ(Text(), u"one ");
  Key(VK_INSERT, kShift);
  Key('V', kCtrl);
  EXPECT_EQ(Text(), u"one twotwo");
  Select(0, 4);
  Key('X', kCtrl);
  EXPECT_EQ(Text(), u"twotwo");
  EXPECT_EQ(win::GetClipboardText(), u"one ");
  // The messages a menu sends.
  SendMessage(m_hEdit, EM_SETSEL, 0, -1);
  EXPECT_EQ(Sel(), (P{0, 6}));
  SendMessage(m_hEdit, WM_COPY, 0, 0);
  EXPECT_EQ(win::GetClipboardText(), u"twotwo");
  SendMessage(m_hEdit, EM_SETSEL, 3, 6);
  SendMessage(m_hEdit, WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(), u"two");
  SendMessage(m_hEdit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(), u"twotwotwo");
  SendMessage(m_hEdit, EM_SETSEL, 0, 3);
  SendMessage(m_hEdit, WM_CUT, 0, 0);
  EXPECT_EQ(Text(), u"twotwo");
  DWORD nStart = 9, nEnd = 9;
  SendMessage(m_hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
  EXPECT_EQ((P{nStart, nEnd}), (P{0, 0}));
}

TEST_F(CEditBoxTest, AReadOnlyBoxMovesAndCopiesButTakesNoEdits) {
  Record(u"fixed text", 40, 4, ES_READONLY);
  win::SetClipboardText(u"pasted");
  Key(VK_END, kShift);
  EXPECT_EQ(Sel(), (P{0, 10}));
  Type(U"x");
  Key(VK_BACK);
  Key(VK_DELETE);
  Key('V', kCtrl);
  Key('X', kCtrl);
  SendMessage(m_hEdit, WM_CLEAR, 0, 0);
  SendMessage(m_hEdit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(), u"fixed text");
  EXPECT_EQ(win::GetClipboardText(), u"pasted");
  Key('C', kCtrl);
  EXPECT_EQ(win::GetClipboardText(), u"fixed text");
  EXPECT_EQ(CChangeLog::nChanges, 0);
}

TEST_F(CEditBoxTest, TheMousePlacesExtendsDragsAndPicksAWord) {
  Record(u"abcdefghij klmno\r\npq", 11, 4);
  win::input::Mouse(m_hEdit, WM_LBUTTONDOWN, 2, 1);  // row "klmno"
  EXPECT_EQ(Sel(), (P{13, 13}));
  win::input::Mouse(m_hEdit, WM_MOUSEMOVE, 1, 2);
  EXPECT_EQ(Sel(), (P{13, 19}));
  win::input::Mouse(m_hEdit, WM_LBUTTONUP, 1, 2);
  win::input::Mouse(m_hEdit, WM_MOUSEMOVE, 0, 0);  // the button is up: no drag
  EXPECT_EQ(Sel(), (P{13, 19}));
  win::input::Mouse(m_hEdit, WM_LBUTTONDOWN, 3, 0, kShift);
  EXPECT_EQ(Sel(), (P{13, 3}));
  win::input::Mouse(m_hEdit, WM_LBUTTONDBLCLK, 40, 1);  // past the end: the last word
  EXPECT_EQ(Sel(), (P{11, 16}));
}

TEST_F(CEditBoxTest, AOneLineFieldWithoutAViewHasTheSameRules) {
  Create(ES_AUTOHSCROLL, u"alpha beta");
  Key(VK_END);
  EXPECT_EQ(Caret(), 10u);
  Key(VK_LEFT, kCtrl | kShift);
  EXPECT_EQ(Sel(), (P{10, 6}));
  Key(VK_LEFT);
  EXPECT_EQ(Sel(), (P{6, 6}));
  Key(VK_HOME, kShift);
  EXPECT_EQ(Sel(), (P{6, 0}));
  Key(VK_UP);  // one row: up stays on it
  EXPECT_EQ(Sel(), (P{0, 0}));
  Type(U"> ");
  EXPECT_EQ(Text(), u"> alpha beta");
  win::input::Mouse(m_hEdit, WM_LBUTTONDBLCLK, 4, 0);
  EXPECT_EQ(Sel(), (P{2, 7}));
}
