#include "DesktopApplication.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qtview {

namespace {

constexpr const char* kNoDisplay =
    "quorvel: there is no display to open the terminal on%s.\n"
    "Run it in a desktop session, in a text terminal (quorvel --text, or ./run --text),\n"
    "or on a virtual display:\n"
    "  sudo apt-get install xvfb\n"
    "  xvfb-run ./run\n";

bool IsSet(const char* pszName) {
  const char* pszValue = std::getenv(pszName);
  return pszValue && *pszValue;
}

QtMessageHandler g_previousHandler = nullptr;
std::string g_strHeld;

// While Qt connects to the display its complaints are held back: when it
// cannot, the person gets one plain message instead of the toolkit's.
void StartingHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::string strReason = " (" + g_strHeld + ")";
    std::fprintf(stderr, kNoDisplay, g_strHeld.empty() ? "" : strReason.c_str());
    std::_Exit(EXIT_FAILURE);
  }
  if (context.category && std::string(context.category).starts_with("qt.qpa")) {
    if (g_strHeld.empty()) g_strHeld = message.toStdString();
    return;
  }
  g_previousHandler(type, context, message);
}

}  // namespace

bool HasDisplay() { return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"); }

std::unique_ptr<QApplication> CreateDesktopApplication(int& argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(stderr, kNoDisplay, " (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    return nullptr;
  }
  g_previousHandler = qInstallMessageHandler(StartingHandler);
  auto pApp = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(g_previousHandler);
  return pApp;
}

}  // namespace qtview
