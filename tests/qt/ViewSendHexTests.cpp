// Send as Hex on the desktop: Send String's menu entry, worked by the mouse
// and by its mnemonic, and the tag it shows inside the box's right edge.
#include <QMenu>
#include <QTest>

#include "EditWindow.h"
#include "FakeViewTest.h"
#include "resource.h"

namespace {

class CViewSendHexTest : public CFakeViewTest {
 protected:
  qtview::CEditWindow* Edit() const { return Widget<qtview::CEditWindow>(IDC_EDIT_SEND); }
  // The entry's check as the menu shows it, then the person's pick of it.
  bool Toggle(const std::function<void()>& open, bool bByMnemonic) {
    bool bChecked = false;
    WorkMenu(open, [&](QMenu* pMenu) {
      QList<QAction*> actions = pMenu->actions();
      ASSERT_GE(actions.size(), 2);
      EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
      QAction* pEntry = actions.back();
      EXPECT_EQ(pEntry->text(), QStringLiteral("Send as &Hex"));
      bChecked = pEntry->isChecked();
      if (bByMnemonic)
        QTest::keyClick(pMenu, Qt::Key_H);
      else
        QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pEntry).center());
    });
    return bChecked;
  }
  void RightClick() {
    QTest::mouseClick(Dialog()->windowHandle(), Qt::RightButton, {},
                      Edit()->mapTo(Dialog(), QPoint(4, Edit()->height() / 2)));
  }
  // Pixels of the tag's place, clear of the box's frame, that are not the box's background.
  int TagInk(const QRect& tag) const {
    QRect rect = tag.adjusted(2, 2, -2, -2);
    QImage image = Edit()->grab().toImage();
    QRgb background = image.pixel(rect.center().x(), rect.top() + 1);
    int nInk = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) nInk += image.pixel(x, y) != background;
    return nInk;
  }
};

TEST_F(CViewSendHexTest, TheMenuEntryTogglesByMouseAndMnemonicAndTheTagKeepsTheTextClear) {
  RunApp([&] {
    EXPECT_EQ(Edit()->ShownTag(), QString());
    EXPECT_EQ(Edit()->textMargins().right(), 0);

    EXPECT_FALSE(Toggle([&] { RightClick(); }, false));
    EXPECT_EQ(Edit()->ShownTag(), QStringLiteral("HEX"));
    const QRect tag = Edit()->TagRect();
    EXPECT_GT(tag.width(), Edit()->fontMetrics().horizontalAdvance(QStringLiteral("HEX")));
    EXPECT_LE(tag.right(), Edit()->width() - 1);
    EXPECT_EQ(Edit()->textMargins().right(), tag.width());
    EXPECT_GT(TagInk(tag), 0);

    // A text longer than the box keeps its caret left of the tag.
    TypeInto(Edit(), QString(200, u'A'));
    EXPECT_EQ(Edit()->cursorPosition(), 200);
    // The line edit scrolls to its caret as it paints.
    Edit()->grab();
    EXPECT_LT(Edit()->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(), tag.left());

    // Emptied, then off by the keyboard: the tag's place is blank again.
    TypeInto(Edit(), QString());
    QTest::keyClick(Edit(), Qt::Key_Delete);
    EXPECT_TRUE(Toggle([&] { QTest::keyClick(Edit(), Qt::Key_F10, Qt::ShiftModifier); }, true));
    EXPECT_EQ(Edit()->ShownTag(), QString());
    EXPECT_EQ(Edit()->textMargins().right(), 0);
    EXPECT_EQ(TagInk(tag), 0);
  });
}

}  // namespace
