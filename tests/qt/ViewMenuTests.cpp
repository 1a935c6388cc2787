// A pop-up menu on the desktop: a QMenu built from the window system's menu,
// whose keys, pointer and clicks go to the window system's tracking.
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "FakeViewTest.h"
#include "Menu.h"
#include "UserInput.h"
#include "resource.h"

namespace {

enum : UINT { kCut = 101, kCopy, kFast, kSlow, kFollow };

class CViewMenuTest : public CFakeViewTest {
 protected:
  void SetUp() override {
    CFakeViewTest::SetUp();
    m_hMenu = CreatePopupMenu();
    AppendMenu(m_hMenu, MF_STRING | MF_GRAYED, kCut, u"Cu&t");
    AppendMenu(m_hMenu, MF_STRING, kCopy, u"&Copy");
    AppendMenu(m_hMenu, MF_SEPARATOR, 0);
    AppendMenu(m_hMenu, MF_STRING, kFast, u"&Fast");
    AppendMenu(m_hMenu, MF_STRING, kSlow, u"&Slow");
    CheckMenuRadioItem(m_hMenu, kFast, kSlow, kSlow, MF_BYCOMMAND);
    AppendMenu(m_hMenu, MF_STRING | MF_CHECKED, kFollow, u"F&ollow");
  }
  void TearDown() override {
    DestroyMenu(m_hMenu);
    CFakeViewTest::TearDown();
  }

  // Opens the menu on the receive record at a point on the screen, lets the
  // person work the QMenu, and answers the command picked.
  UINT Track(QPoint at, const std::function<void(QMenu*)>& person) {
    UINT nCommand = 0;
    WorkMenu(
        [&] {
          nCommand = static_cast<UINT>(
              TrackPopupMenu(m_hMenu, TPM_RETURNCMD, at.x(), at.y(), 0, Item(IDC_EDIT_RECEIVE_RECORD), nullptr));
        },
        person);
    return nCommand;
  }
  static int Highlight() { return win::GetTrackedMenu() ? win::GetTrackedMenu()->nHighlight : -2; }

  HMENU m_hMenu = nullptr;
};

TEST_F(CViewMenuTest, TheMenuShowsTheItemsAtThePointAndItsKeysGoToTheWindowSystem) {
  RunApp([&] {
    QPoint at = Dialog()->mapToGlobal(QPoint(20, 30));
    UINT nCommand = Track(at, [&](QMenu* pMenu) {
      EXPECT_EQ(pMenu->pos(), at);
      QStringList texts;
      for (QAction* pAction : pMenu->actions()) {
        QString strMarks = QString(pAction->isEnabled() ? "" : "-") + (pAction->isChecked() ? "+" : "") +
                           (pAction->actionGroup() ? "o" : "");
        texts << (pAction->isSeparator() ? QStringLiteral("|") : pAction->text() + strMarks);
      }
      EXPECT_EQ(texts, (QStringList{"Cu&t-", "&Copy", "|", "&Fast", "&Slow+o", "F&ollow+"}));
      // Down skips the grayed item; the active action follows the window system's highlight.
      QTest::keyClick(pMenu, Qt::Key_Down);
      EXPECT_EQ(Highlight(), 1);
      EXPECT_EQ(pMenu->activeAction(), pMenu->actions()[1]);
      QTest::keyClick(pMenu, Qt::Key_Down);
      EXPECT_EQ(pMenu->activeAction(), pMenu->actions()[3]);
      QTest::keyClick(pMenu, Qt::Key_Up);
      QTest::keyClick(pMenu, Qt::Key_Up);
      EXPECT_EQ(pMenu->activeAction(), pMenu->actions()[5]);
      // A check set while it is open shows.
      CheckMenuItem(m_hMenu, kFollow, MF_BYCOMMAND | MF_UNCHECKED);
      EXPECT_FALSE(pMenu->actions()[5]->isChecked());
      // A grayed item's mnemonic does nothing; an item's picks it.
      QTest::keyClick(pMenu, Qt::Key_T);
      EXPECT_TRUE(pMenu->isVisible());
      QTest::keyClick(pMenu, Qt::Key_S);
    });
    EXPECT_EQ(nCommand, kSlow);
    EXPECT_EQ(Track(at, [](QMenu* pMenu) { QTest::keyClick(pMenu, Qt::Key_Escape); }), 0u);
  });
}

TEST_F(CViewMenuTest, TheMouseHighlightsAndPicksAndAClickOutsideCloses) {
  RunApp([&] {
    QPoint at = Dialog()->mapToGlobal(QPoint(20, 30));
    UINT nCommand = Track(at, [&](QMenu* pMenu) {
      // Qt's menu heeds the pointer once it has moved off where the menu
      // opened, or moved a few times.
      for (int i = 0; i < 8; ++i) QTest::mouseMove(pMenu, pMenu->actionGeometry(pMenu->actions()[i % 2]).center());
      QTest::mouseMove(pMenu, pMenu->actionGeometry(pMenu->actions()[3]).center());
      EXPECT_TRUE(QTest::qWaitFor([] { return Highlight() == 3; }, 1000));
      // A release too soon after the menu opened would count as the press that opened it.
      QTest::qWait(QApplication::doubleClickInterval() / 4);
      // A click on a grayed item leaves the menu open.
      QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pMenu->actions()[0]).center());
      EXPECT_TRUE(pMenu->isVisible());
      QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pMenu->actions()[1]).center());
    });
    EXPECT_EQ(nCommand, kCopy);
    nCommand = Track(at, [](QMenu* pMenu) {
      QTest::mouseClick(pMenu, Qt::LeftButton, {}, QPoint(-10, -10));
      EXPECT_TRUE(QTest::qWaitFor(
          [] { return !win::GetTrackedMenu() || win::IsMenuDone(win::GetTrackedMenu()->hMenu); }, 1000));
    });
    EXPECT_EQ(nCommand, 0u);
  });
}

}  // namespace
