// The desktop program: the application on the Qt view of the window system.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CWinApp.h"
#include "DesktopApplication.h"
#include "QtView.h"
#include "Tobrel.h"
#include "TobrelCapture.h"
#include "TobrelResults.h"

namespace {

constexpr char kUsage[] =
    "Usage: quorvel [--capture FILE | --capture-raw FILE]\n"
    "  --capture FILE      append everything that goes over any open port to FILE, one line per\n"
    "                      event: time, port, < received, > sent or ! an event, and the bytes\n"
    "  --capture-raw FILE  append the received bytes alone to FILE, exactly as they came\n"
    "  --help              show this text\n"
    "Without either option, QUORVEL_CAPTURE=FILE captures as --capture does.\n";

std::string Narrow(const char16_t* pszText) {
  std::string strText;
  for (; *pszText != 0; ++pszText) strText += static_cast<char>(*pszText < 0x80 ? *pszText : '?');
  return strText;
}

// Takes the capture options out of argv and starts the capture they ask for; false (after
// saying why) when the command line is wrong or the file cannot be opened.
bool StartCaptureFromCommandLine(int& argc, char** argv, bool& bHelp) {
  std::string strPath;
  ECaptureForm form = ECaptureForm::Text;
  int nKept = 1;
  for (int i = 1; i < argc; ++i) {
    const bool bText = std::strcmp(argv[i], "--capture") == 0;
    const bool bRaw = std::strcmp(argv[i], "--capture-raw") == 0;
    if (std::strcmp(argv[i], "--help") == 0) {
      bHelp = true;
    } else if (bText || bRaw) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "quorvel: %s needs a file name.\n%s", argv[i], kUsage);
        return false;
      }
      strPath = argv[++i];
      form = bRaw ? ECaptureForm::Raw : ECaptureForm::Text;
    } else {
      argv[nKept++] = argv[i];
    }
  }
  argc = nKept;
  argv[argc] = nullptr;
  if (bHelp) return true;
  if (const char* pszVariable = std::getenv("QUORVEL_CAPTURE"); strPath.empty() && pszVariable != nullptr)
    strPath = pszVariable;
  if (strPath.empty()) return true;
  const uint32_t nResult = StartCapture(strPath, form);
  if (nResult == TOBREL_OK) return true;
  std::fprintf(stderr, "quorvel: %s\n", Narrow(GetSerialErrorMessage(nResult)).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool bHelp = false;
  if (!StartCaptureFromCommandLine(argc, argv, bHelp)) return 2;
  if (bHelp) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  auto pApp = qtview::CreateDesktopApplication(argc, argv);
  if (!pApp) return 1;
  QGuiApplication::setApplicationName(QStringLiteral("quorvel"));
  // Lets the desktop match the window with its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  qtview::CQtView view;
  return AfxWinMain();
}
