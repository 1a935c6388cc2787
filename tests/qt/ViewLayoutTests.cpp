// What the dialog looks like on the desktop: geometry from dialog units,
// colours, caption, icons, the hidden buttons, tab order and focus.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QWindow>

#include "ComboWindow.h"
#include "FakeViewTest.h"
#include "FontMetrics.h"
#include "Window.h"
#include "resource.h"

namespace {

using CViewLayoutTest = CFakeViewTest;

// Counts the events of one type a widget gets.
class CEventCounter final : public QObject {
 public:
  CEventCounter(QWidget* pWidget, QEvent::Type type, int& nCount) : m_type(type), m_rCount(nCount) {
    pWidget->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* pEvent) override {
    if (pEvent->type() == m_type) ++m_rCount;
    return false;
  }

 private:
  QEvent::Type m_type;
  int& m_rCount;
};

QRect ToQRect(const RECT& r) {
  return QRect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
               static_cast<int>(r.bottom - r.top));
}

TEST_F(CViewLayoutTest, EveryControlHasItsTemplateRectangleInTheDesktopFontsBaseUnits) {
  RunApp([&] {
    SIZE base = qtview::BaseUnits(qtview::DialogFont(u"System", 8));
    EXPECT_GT(base.cx, 0);
    EXPECT_GT(base.cy, 0);
    // The window system was given the same units.
    SIZE used = win::GetDialogBaseUnits(u"System", 8);
    EXPECT_EQ(used.cx, base.cx);
    EXPECT_EQ(used.cy, base.cy);

    QRect dialog = ToQRect(win::MapDialogRect(GetDialogUnitRect(m_hDlg), base));
    EXPECT_EQ(Dialog()->size(), dialog.size());

    const auto& children = GetChildren(m_hDlg);
    ASSERT_EQ(children.size(), 36u);
    for (HWND h : children) {
      SCOPED_TRACE(testing::Message() << "control " << GetDlgCtrlID(h) << " "
                                      << QString::fromUtf16(GetWindowText(h).c_str()).toStdString());
      QWidget* pWidget = m_pView->Widget(h);
      ASSERT_NE(pWidget, nullptr);
      EXPECT_EQ(pWidget->parentWidget(), Dialog());
      QRect want = ToQRect(win::MapDialogRect(GetDialogUnitRect(h), base));
      if (auto* pCombo = dynamic_cast<qtview::CComboWindow*>(pWidget)) {
        // The field keeps the style's height; the dropped-down list has the rest.
        EXPECT_EQ(pWidget->geometry().topLeft(), want.topLeft());
        EXPECT_EQ(pWidget->width(), want.width());
        EXPECT_EQ(pWidget->height(), pCombo->FieldHeight());
        EXPECT_EQ(pCombo->FieldHeight() + pCombo->ListHeight(), want.height());
      } else {
        EXPECT_EQ(pWidget->geometry(), want);
      }
    }
  });
}

// The font of a fresh Debian desktop: GNOME's, Plasma's, and the one the others leave to
// fontconfig (packages fonts-cantarell, fonts-noto-core, fonts-dejavu-core).
TEST_F(CViewLayoutTest, EveryLabelButtonCaptionAndListFieldFitsItsRectangleOnOneLineInTheDesktopsFonts) {
  const QFont desktopFont = QApplication::font();
  for (const auto& [family, nPoints] : {std::pair{"Cantarell", 11}, {"Noto Sans", 10}, {"DejaVu Sans", 9}}) {
    SCOPED_TRACE(family);
    QApplication::setFont(QFont(QString::fromLatin1(family), nPoints));
    RunApp([&] {
      const QFont dialogFont = Dialog()->font();
      ASSERT_EQ(QFontInfo(dialogFont).family(), QString::fromLatin1(family)) << "the font is not installed";
      int nCaptions = 0;
      for (HWND h : GetChildren(m_hDlg)) {
        QWidget* pWidget = m_pView->Widget(h);
        QString text;
        QRect room;
        bool bField = false;
        if (auto* pLabel = dynamic_cast<QLabel*>(pWidget)) {
          text = pLabel->text();
          room = pLabel->contentsRect();
        } else if (auto* pButton = dynamic_cast<QPushButton*>(pWidget)) {
          text = pButton->text();
          QStyleOptionButton option;
          option.initFrom(pButton);
          option.text = text;
          room = pButton->style()->subElementRect(QStyle::SE_PushButtonContents, &option, pButton);
        } else if (auto* pBox = dynamic_cast<QGroupBox*>(pWidget)) {
          text = pBox->title();
          room = pBox->contentsRect();
        } else if (auto* pList = dynamic_cast<qtview::CComboWindow*>(pWidget)) {
          // A list's field, whose font shrinks as a label's.
          pWidget = pList->lineEdit();
          text = pList->lineEdit()->text();
          room = pWidget->contentsRect();
          room.setWidth(pList->FieldTextWidth());
          bField = true;
        } else {
          continue;
        }
        SCOPED_TRACE(text.toStdString());
        ++nCaptions;
        const QFont font = pWidget->font();
        EXPECT_GE(font.pointSizeF(), dialogFont.pointSizeF() - 1);
        QFontMetrics metrics(font);
        EXPECT_LE(metrics.horizontalAdvance(text), room.width());
        EXPECT_LE(metrics.height(), room.height());
        // Laid out as a label wraps, it keeps one line; a field never wraps.
        const int nFlags = Qt::AlignLeft | Qt::AlignTop;
        if (!bField) {
          EXPECT_EQ(metrics.boundingRect(room, nFlags | Qt::TextWordWrap, text).height(),
                    metrics.boundingRect(room, nFlags, text).height());
        }
      }
      EXPECT_EQ(nCaptions, 31);
    });
  }
  QApplication::setFont(desktopFont);
}

TEST_F(CViewLayoutTest, ADroppedDownListUsesTheRestOfItsTemplateHeight) {
  RunApp([&] {
    for (int id : {IDC_COMBO_PORT, IDC_COMBO_STOPBITS, IDC_COMBO_TAIL}) {
      SCOPED_TRACE(id);
      auto* pCombo = Widget<qtview::CComboWindow>(id);
      ASSERT_NE(pCombo, nullptr);
      pCombo->showPopup();
      QWidget* pPopup = pCombo->view()->window();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(pPopup));
      RECT r = GetWindowRect(Item(id));
      EXPECT_EQ(pPopup->height(), r.bottom - r.top - pCombo->FieldHeight());
      // Styles let the list's border overlap the field's by a pixel.
      EXPECT_NEAR(pPopup->geometry().top(), pCombo->mapToGlobal(QPoint(0, pCombo->height())).y(), 1);
      pCombo->hidePopup();
    }
  });
}

TEST_F(CViewLayoutTest, ShowsTheCaptionBothIconsAndTheStartTexts) {
  RunApp([&] {
    EXPECT_EQ(Dialog()->windowTitle(), QStringLiteral("Quorvel V 1.2 Serial "));
    EXPECT_TRUE(Dialog()->isVisible());
    auto sizes = Dialog()->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));

    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_PORT)->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_PORT)->count(), 10);
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_BAUD)->currentText(), QStringLiteral("115200"));
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_SLOT)->currentIndex(), 6);
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_SLOT)->count(), 8);
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_STOPBITS)->currentText(), QStringLiteral("1    Stop Bit"));
    EXPECT_EQ(Widget<QComboBox>(IDC_COMBO_TAIL)->insertPolicy(), QComboBox::NoInsert);
    EXPECT_TRUE(Widget<QComboBox>(IDC_COMBO_TAIL)->isEditable());
    EXPECT_EQ(Widget<QLineEdit>(IDC_EDIT_SEND)->text(), QStringLiteral("$00M"));
    EXPECT_EQ(Widget<QLineEdit>(IDC_EDIT_INTERVAL)->text(), QStringLiteral("100"));
    EXPECT_EQ(Widget<QLineEdit>(IDC_EDIT_STATUS)->text(), QString());
  });
}

TEST_F(CViewLayoutTest, HiddenButtonsAreNotShownAndTabSkipsThemInTemplateOrder) {
  RunApp([&] {
    for (int id : {IDC_BUTTON_SCAN, IDC_BUTTON_NAME_QUERY}) {
      QWidget* pButton = m_pView->Widget(Item(id));
      ASSERT_NE(pButton, nullptr);
      EXPECT_FALSE(pButton->isVisible());
      EXPECT_EQ(pButton->focusPolicy(), Qt::NoFocus);
    }

    ASSERT_EQ(Dialog()->focusWidget(), m_pView->Widget(Item(IDC_COMBO_PORT)));
    std::vector<int> order;
    for (int i = 0; i < 21; ++i) {
      order.push_back(IdOf(Dialog()->focusWidget()));
      QTest::keyClick(Dialog()->focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(IdOf(Dialog()->focusWidget()), GetDlgCtrlID(GetFocus()));
    }
    EXPECT_EQ(order, (std::vector<int>{1000, 1001, 1002, 1003, 1004, 1010, 1011, 1012, 1013, 1014, 1015,
                                       1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025}));
    EXPECT_EQ(IdOf(Dialog()->focusWidget()), 1000);
    QTest::keyClick(Dialog()->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(IdOf(Dialog()->focusWidget()), 1025);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1025);
  });
}

// Where a hidden button lies, a click reaches what is shown there: "Button1"
// lies over the baud-rate list's arrow and the "Baudrate:" label, "ScanKes"
// over the dialog alone.
TEST_F(CViewLayoutTest, AClickWhereAHiddenButtonLiesReachesWhatIsShownThere) {
  RunApp([&] {
    QWindow* pWindow = Dialog()->windowHandle();
    ASSERT_NE(pWindow, nullptr);
    auto* pBaud = Widget<QComboBox>(IDC_COMBO_BAUD);
    QWidget* pLabel = nullptr;
    for (HWND h : GetChildren(m_hDlg))
      if (GetWindowText(h) == u"Baudrate:") pLabel = m_pView->Widget(h);
    ASSERT_NE(pLabel, nullptr);
    const QRect hidden = m_pView->Widget(Item(IDC_BUTTON_NAME_QUERY))->geometry();

    const QRect onLabel = hidden & pLabel->geometry();
    ASSERT_FALSE(onLabel.isEmpty());
    ASSERT_EQ(Dialog()->childAt(onLabel.center()), pLabel);
    int nLabelPresses = 0;
    CEventCounter counter(pLabel, QEvent::MouseButtonPress, nLabelPresses);
    QTest::mouseClick(pWindow, Qt::LeftButton, {}, onLabel.center());
    EXPECT_EQ(nLabelPresses, 1);

    // The list's arrow opens its list; the pick is the list's.
    const QRect onList = hidden & pBaud->geometry();
    ASSERT_FALSE(onList.isEmpty());
    QTest::mouseClick(pWindow, Qt::LeftButton, {}, onList.center());
    QAbstractItemView* pList = pBaud->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pList->window()));
    const QModelIndex index = pList->model()->index(2, 0);
    pList->scrollTo(index);
    // The list takes no release this soon after the press that opened it.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, pList->visualRect(index).center());
    EXPECT_EQ(Selection(IDC_COMBO_BAUD), 2);
    EXPECT_EQ(Text(IDC_COMBO_BAUD), u"9600");
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_COMBO_BAUD);

    const QRect scan = m_pView->Widget(Item(IDC_BUTTON_SCAN))->geometry();
    EXPECT_EQ(Dialog()->childAt(scan.center()), nullptr);
    QTest::mouseClick(pWindow, Qt::LeftButton, {}, scan.center());
    EXPECT_EQ(serial.Count("Send_Cmd"), 0u);
    EXPECT_EQ(serial.Count("Send_Receive_Cmd"), 0u);
  });
}

TEST_F(CViewLayoutTest, FocusStartsOnThePortList) {
  RunApp([&] {
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDC_COMBO_PORT);
    EXPECT_EQ(Dialog()->focusWidget(), m_pView->Widget(Item(IDC_COMBO_PORT)));
    EXPECT_EQ(QApplication::focusWidget(), m_pView->Widget(Item(IDC_COMBO_PORT)));
  });
}

TEST_F(CViewLayoutTest, TheDialogAndItsLabelsArePeachWhileFieldsStayWhite) {
  RunApp([&] {
    QImage image = Dialog()->grab().toImage();
    ASSERT_FALSE(image.isNull());
    const QRgb peach = qRgb(255, 193, 164);
    EXPECT_EQ(image.pixel(2, 2), peach);
    EXPECT_EQ(image.pixel(image.width() - 3, image.height() - 3), peach);

    // The label's last pixel lies past its text.
    QWidget* pLabel = nullptr;
    for (HWND h : GetChildren(m_hDlg))
      if (GetWindowText(h) == u"COM Port:") pLabel = m_pView->Widget(h);
    ASSERT_NE(pLabel, nullptr);
    QImage label = pLabel->grab().toImage();
    EXPECT_EQ(label.pixel(label.width() - 1, label.height() - 1), peach);
    EXPECT_EQ(static_cast<QLabel*>(pLabel)->palette().color(QPalette::WindowText), QColor(0, 0, 0));

    QWidget* pStatus = m_pView->Widget(Item(IDC_EDIT_STATUS));
    QImage status = pStatus->grab().toImage();
    EXPECT_EQ(status.pixel(status.width() / 2, status.height() / 2), qRgb(255, 255, 255));
  });
}

TEST_F(CViewLayoutTest, WritesAScreenshotOfTheDialogAfterStart) {
  RunApp([&] {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Dialog()));
    QImage image = Dialog()->grab().toImage();
    EXPECT_TRUE(image.save(QStringLiteral(QUORVEL_SCREENSHOT), "PNG"));
  });
}

}  // namespace
