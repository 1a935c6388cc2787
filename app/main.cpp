// The desktop program: the application on the Qt view of the window system.
#include <QApplication>

#include "CWinApp.h"
#include "DesktopApplication.h"
#include "QtView.h"

int main(int argc, char** argv) {
  auto pApp = qtview::CreateDesktopApplication(argc, argv);
  if (!pApp) return 1;
  QGuiApplication::setApplicationName(QStringLiteral("quorvel"));
  // Lets the desktop match the window with its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  qtview::CQtView view;
  return AfxWinMain();
}
