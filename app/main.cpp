// The program: the application on the desktop view of the window system
// when there is a display, on the text view in a terminal otherwise.
//   quorvel          the desktop view, or the text view with no display when
//                    standard input and output are a terminal
//   quorvel --text   the text view, also where there is a display
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "CWinApp.h"
#include "DesktopApplication.h"
#include "QtView.h"
#include "TextView.h"

namespace {

int RunDesktop(int argc, char** argv) {
  auto pApp = qtview::CreateDesktopApplication(argc, argv);
  if (!pApp) return 1;
  QGuiApplication::setApplicationName(QStringLiteral("quorvel"));
  // Lets the desktop match the window with its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  qtview::CQtView view;
  return AfxWinMain();
}

int RunText() {
  tui::CTextView view;
  std::string strError;
  if (!view.Start(stdin, stdout, &strError)) {
    std::fprintf(stderr, "quorvel: cannot show the terminal here: %s.\n", strError.c_str());
    return 1;
  }
  int nResult = AfxWinMain();
  view.Stop();
  // Ended by a signal: the terminal is restored, and the signal takes its
  // course, so whoever sent it sees it in the exit status.
  if (int nSignal = view.EndingSignal()) {
    signal(nSignal, SIG_DFL);
    raise(nSignal);
  }
  return nResult;
}

}  // namespace

int main(int argc, char** argv) {
  bool bText = false;
  for (int i = 1; i < argc; ++i) bText = bText || std::strcmp(argv[i], "--text") == 0;
  if (bText || (!qtview::HasDisplay() && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO))) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
      std::fprintf(stderr, "quorvel: --text needs a terminal on standard input and output.\n");
      return 1;
    }
    return RunText();
  }
  return RunDesktop(argc, argv);
}
