// The desktop program: the application on the Qt view of the window system.
#include <QApplication>
#include <cstdio>
#include <string>

#include "CWinApp.h"
#include "CommandLine.h"
#include "DesktopApplication.h"
#include "PortMap.h"
#include "QtView.h"
#include "VersionInfo.h"

namespace {

int PrintPorts(const char*);
int PrintHelp(const char*);
int PrintVersion(const char*);

constexpr SOption kOptions[] = {
    {"--ports", nullptr, "print which device stands behind each COM number, and exit", PrintPorts},
    {"--help", nullptr, "print this help, and exit", PrintHelp},
    {"--version", nullptr, "print the version, and exit", PrintVersion},
};

int PrintPorts(const char*) {
  const std::string strMap = DescribePortMap(MapPorts());
  if (strMap.empty())
    std::puts("No serial device found. Plug one in, or set QUORVEL_COMn to its device.");
  else
    std::puts(strMap.c_str());
  return 0;
}

int PrintHelp(const char*) {
  std::fputs(HelpText(kOptions).c_str(), stdout);
  return 0;
}

// "1, 2, 0, 0" of the version record as "1.2.0.0".
int PrintVersion(const char*) {
  std::string strVersion;
  for (const char16_t* p = kVersionInfo.pszProductVersion; *p != 0; ++p) {
    if (*p == u',') strVersion += '.';
    if (*p >= u'0' && *p <= u'9') strVersion += static_cast<char>(*p);
  }
  std::printf("quorvel %s\n", strVersion.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int nStatus = RunCommandLine(argc, argv, kOptions); nStatus != kContinue) return nStatus;
  auto pApp = qtview::CreateDesktopApplication(argc, argv);
  if (!pApp) return 1;
  QGuiApplication::setApplicationName(QStringLiteral("quorvel"));
  // Lets the desktop match the window with its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  qtview::CQtView view;
  return AfxWinMain();
}
