// Preloaded into the real program by tests: once its application exists, it clicks the
// buttons QUORVEL_TEST_CLICKS names ("Open Com|Send"), in order, each as soon as a shown
// window has it enabled, as a person's mouse would.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QStringList g_listClicks;

QPushButton* FindButton(const QString& strText) {
  for (QWidget* pTop : QApplication::topLevelWidgets()) {
    if (!pTop->isVisible()) continue;
    for (QPushButton* pButton : pTop->findChildren<QPushButton*>())
      if (pButton->text() == strText && pButton->isVisible() && pButton->isEnabled()) return pButton;
  }
  return nullptr;
}

void ClickNext() {
  if (QPushButton* pButton = FindButton(g_listClicks.front())) {
    QTest::mouseClick(pButton, Qt::LeftButton);
    g_listClicks.pop_front();
  }
  if (!g_listClicks.isEmpty()) QTimer::singleShot(10, QCoreApplication::instance(), ClickNext);
}

void StartClicking() {
  g_listClicks = qEnvironmentVariable("QUORVEL_TEST_CLICKS").split(u'|', Qt::SkipEmptyParts);
  // The application is still being made: the first look waits for its event loop.
  if (!g_listClicks.isEmpty()) QMetaObject::invokeMethod(QCoreApplication::instance(), ClickNext, Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartClicking)
