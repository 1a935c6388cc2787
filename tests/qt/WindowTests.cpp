// Widgets of the desktop view built alone, on a host that stands in for the
// view: a person's clicks and picks reach the window system through it, and
// the changes a widget applies are marked as the view's own.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <vector>

#include "ButtonWindow.h"
#include "ComboWindow.h"
#include "Window.h"
#include "WindowHost.h"
#include "WindowObserver.h"

namespace {

// Records what the widgets hand on, and does it as the view does: nothing
// comes back while a change is being applied.
class CRecordingHost final : public qtview::CWindowHost {
 public:
  void Input(HWND hWnd, const std::function<void()>& action) override {
    if (m_nApplying > 0) return;
    m_vecInput.push_back(hWnd);
    HWND hSaved = m_hFeeding;
    m_hFeeding = hWnd;
    action();
    m_hFeeding = hSaved;
  }
  bool IsFeeding(HWND hWnd) const override { return m_hFeeding == hWnd; }

  std::vector<HWND> m_vecInput;
  int m_nApplied = 0;  // changes applied
  int m_nApplying = 0;

 protected:
  void BeginApplying() override {
    ++m_nApplying;
    ++m_nApplied;
  }
  void EndApplying() override { --m_nApplying; }

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

class CWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CCommandLog::vecCommands.clear();
    m_hDlg = CreateWindowFromParams(
        {.cls = WindowClass::Dialog, .style = WS_POPUP | WS_VISIBLE, .text = u"test", .proc = CCommandLog::Proc});
    m_parent.resize(300, 200);
    m_parent.show();
    m_parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_parent));
  }
  void TearDown() override { DestroyWindow(m_hDlg); }
  // A list's height takes in its dropped list.
  HWND Create(WindowClass cls, DWORD style, int id, std::u16string_view text, int nHeight = 30) {
    return CreateWindowFromParams({.cls = cls,
                                   .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                                   .id = id,
                                   .text = text,
                                   .parent = m_hDlg,
                                   .pixelRect = {10, 10, 130, 10 + nHeight}});
  }
  // What the view does for a new window.
  static void ShowAll(qtview::CViewWindow& window) {
    window.ShowText(win::CWindowObserver::kReplaced);
    window.ShowItems();
    window.ShowSelection();
    window.ShowGeometry();
    window.ShowVisibility();
    window.ShowEnabled();
  }

  CRecordingHost m_host;
  HWND m_hDlg = nullptr;
  QWidget m_parent;
};

}  // namespace

TEST_F(CWindowTest, AClickOnAButtonReachesItsDialogThroughTheHost) {
  HWND hButton = Create(WindowClass::Button, BS_PUSHBUTTON, 4, u"&Send");
  qtview::CButtonWindow button(m_host, hButton, &m_parent);
  ShowAll(button);
  EXPECT_EQ(button.text(), "&Send");

  QTest::mouseClick(&button, Qt::LeftButton);

  EXPECT_EQ(m_host.m_vecInput, std::vector<HWND>{hButton});
  EXPECT_EQ(CCommandLog::vecCommands, std::vector<WPARAM>{MAKEWPARAM(4, BN_CLICKED)});
}

TEST_F(CWindowTest, AListAppliesItsItemsAsTheViewsOwnAndHandsOnAPersonsPick) {
  HWND hCombo = Create(WindowClass::ComboBox, CBS_DROPDOWN, 9, u"", 150);
  for (const char16_t* item : {u"9600", u"19200", u"38400"})
    SendMessage(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessage(hCombo, CB_SETCURSEL, 0, 0);
  qtview::CComboWindow combo(m_host, hCombo, &m_parent);
  ShowAll(combo);
  EXPECT_EQ(combo.count(), 3);
  EXPECT_EQ(combo.currentText(), "9600");
  EXPECT_GT(m_host.m_nApplied, 0);
  EXPECT_EQ(m_host.m_nApplying, 0);
  EXPECT_TRUE(m_host.m_vecInput.empty());
  EXPECT_TRUE(CCommandLog::vecCommands.empty());

  combo.showPopup();
  QAbstractItemView* pList = combo.view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(pList->window()));
  // A release too soon after the popup opened would count as the press that opened it.
  QTest::qWait(QApplication::doubleClickInterval() / 4);
  QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, pList->visualRect(pList->model()->index(2, 0)).center());

  EXPECT_EQ(m_host.m_vecInput, std::vector<HWND>{hCombo});
  EXPECT_EQ(SendMessage(hCombo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(CCommandLog::vecCommands, std::vector<WPARAM>{MAKEWPARAM(9, CBN_SELCHANGE)});
}
