#include "ViewFixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Dialog.h"
#include "Menu.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "Window.h"

namespace {

// Hands the dialog to the view's own modal loop with the script posted into it.
class CScriptedHost final : public win::CModalHost {
 public:
  CScriptedHost(qtview::CQtView& view, HWND& hDlg, const std::function<void()>& script)
      : m_rView(view), m_hDlg(hDlg), m_script(script) {}

  void RunModalLoop(HWND hDlg) override {
    // A box the dialog opens runs in the view's loop; the test answers it.
    if (m_bRunning) {
      m_rView.RunModalLoop(hDlg);
      return;
    }
    m_bRunning = true;
    m_hDlg = hDlg;
    QTimer::singleShot(0, [this, hDlg] {
      // A person works in the active window.
      if (QWidget* pDialog = m_rView.Widget(hDlg)) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(pDialog));
      }
      m_script();
      if (!IsDialogEnded(hDlg)) EndDialog(hDlg, IDABORT);
    });
    // A script that never ends the run must not hang the suite.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [hDlg] {
      ADD_FAILURE() << "the dialog did not end";
      EndDialog(hDlg, IDABORT);
    });
    watchdog.start(30000);
    m_rView.RunModalLoop(hDlg);
    m_bRunning = false;
  }
  // A menu runs in the view's loop; the test works it.
  void RunMenuLoop(HMENU hMenu) override { m_rView.RunMenuLoop(hMenu); }

 private:
  qtview::CQtView& m_rView;
  HWND& m_hDlg;
  const std::function<void()>& m_script;
  bool m_bRunning = false;
};

}  // namespace

void CViewTest::SetUp() {
  g_terminalState = TerminalState{};
  m_pView = std::make_unique<qtview::CQtView>();
}

void CViewTest::TearDown() {
  m_pView.reset();
  win::ForgetPendingEnd();
  win::SetClock(nullptr);
}

void CViewTest::RunApp(const std::function<void()>& script) {
  win::SetClock(m_bRealTime ? nullptr : &m_clock);
  CScriptedHost host(*m_pView, m_hDlg, script);
  win::SetModalHost(&host);
  EXPECT_EQ(AfxWinMain(), 0);
  win::SetModalHost(m_pView.get());
}

int CViewTest::RunDialog(const std::function<void()>& script) {
  win::SetClock(m_bRealTime ? nullptr : &m_clock);
  CScriptedHost host(*m_pView, m_hDlg, script);
  win::SetModalHost(&host);
  int nResult = 0;
  {
    CTerminalDlg dlg;
    nResult = static_cast<int>(dlg.DoModal());
  }
  win::SetModalHost(m_pView.get());
  return nResult;
}

HWND CViewTest::Item(int id) const { return GetDlgItem(m_hDlg, id); }

int CViewTest::IdOf(const QWidget* pWidget) const {
  HWND hWnd = m_pView->Window(pWidget);
  return hWnd ? GetDlgCtrlID(hWnd) : 0;
}

std::u16string CViewTest::Text(int id) const { return GetWindowText(Item(id)); }

int CViewTest::Selection(int id) const { return static_cast<int>(SendMessage(Item(id), CB_GETCURSEL, 0, 0)); }

void CViewTest::ClickButton(int id) {
  auto* pButton = Widget<QPushButton>(id);
  ASSERT_NE(pButton, nullptr);
  QTest::mouseClick(pButton, Qt::LeftButton);
}

void CViewTest::PickItem(int id, int nIndex) {
  auto* pCombo = Widget<QComboBox>(id);
  ASSERT_NE(pCombo, nullptr);
  pCombo->showPopup();
  QAbstractItemView* pList = pCombo->view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(pList->window()));
  QModelIndex index = pList->model()->index(nIndex, 0);
  pList->scrollTo(index);
  // A release too soon after the popup opened would count as the press that opened it.
  QTest::qWait(QApplication::doubleClickInterval() / 4);
  QRect rect = pList->visualRect(index);
  QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_FALSE(pList->window()->isVisible());
}

void CViewTest::TypeInto(QWidget* pWidget, const QString& text) {
  QTest::keyClick(pWidget, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(pWidget, text);
}

void CViewTest::WorkMenu(const std::function<void()>& open, const std::function<void(QMenu*)>& person) {
  bool bWorked = false;
  // The menu runs its own loop inside open(); work it from there.
  QTimer::singleShot(0, [&] {
    auto track = win::GetTrackedMenu();
    ASSERT_TRUE(track);
    auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (pMenu && QTest::qWaitForWindowExposed(pMenu)) person(pMenu);
    bWorked = pMenu != nullptr;
    if (!win::IsMenuDone(track->hMenu)) {
      ADD_FAILURE() << "the menu is still open";
      EndMenu();
    }
  });
  open();
  EXPECT_TRUE(bWorked);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}
