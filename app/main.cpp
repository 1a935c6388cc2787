// The program: the application on the desktop view of the window system
// when there is a display, on the text view in a terminal otherwise.
//   quorvel          the desktop view, or the text view with no display when
//                    standard input and output are a terminal
//   quorvel --text   the text view, also where there is a display
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CWinApp.h"
#include "CommandLine.h"
#include "DesktopApplication.h"
#include "Dialog.h"
#include "QtView.h"
#include "SystemText.h"
#include "TextView.h"
#include "Tobrel.h"
#include "TobrelCapture.h"
#include "TobrelResults.h"
#include "VersionInfo.h"

namespace {

bool g_bTextAsked = false;

int PrintPorts(const char*);
int PrintHelp(const char*);
int PrintVersion(const char*);
int AskText(const char*);
int ChooseCapture(const char* pszFile);
int ChooseRawCapture(const char* pszFile);

constexpr SOption kOptions[] = {
    {"--text", nullptr, "show the dialog in this text terminal, also where there is a display", AskText},
    {"--ports", nullptr, "print which device stands behind each COM number, and exit", PrintPorts},
    {"--capture", "FILE", "append what goes over the open ports to FILE, one text line per event", ChooseCapture},
    {"--capture-raw", "FILE", "append the received bytes alone to FILE, exactly as they came", ChooseRawCapture},
    {"--help", nullptr, "print this help, and exit", PrintHelp},
    {"--version", nullptr, "print the version, and exit", PrintVersion},
};

int PrintPorts(const char*) {
  const QString strMap = QString::fromUtf16(GetSerialPortMap());
  if (strMap.isEmpty())
    std::puts("No serial device found. Plug one in, or set QUORVEL_COMn to its device.");
  else
    std::puts(strMap.toUtf8().constData());
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

// The capture file the command line asks for: one a run, in one form.
struct SCaptureChoice {
  std::string strOption;
  std::string strPath;
  ECaptureForm form = ECaptureForm::Text;
};
SCaptureChoice g_captureChoice;

int Choose(const char* pszOption, const char* pszFile, ECaptureForm form) {
  if (*pszFile == 0) return UsageError(std::string(pszOption) + " needs FILE, and an empty name is none");
  if (!g_captureChoice.strPath.empty())
    return UsageError("one capture file a run: " + std::string(pszOption) + " " + pszFile + " after " +
                      g_captureChoice.strOption + " " + g_captureChoice.strPath);
  g_captureChoice = {pszOption, pszFile, form};
  return kContinue;
}

int ChooseCapture(const char* pszFile) { return Choose("--capture", pszFile, ECaptureForm::Text); }

int ChooseRawCapture(const char* pszFile) { return Choose("--capture-raw", pszFile, ECaptureForm::Raw); }

// Starts the capture of the command line, else of QUORVEL_CAPTURE (which the desktop entry
// can set), once a view can be shown, so a program that cannot show one leaves no file;
// TOBREL_OK or the result that says why the file cannot be opened.
uint32_t StartChosenCapture() {
  if (const char* pszVariable = std::getenv("QUORVEL_CAPTURE");
      g_captureChoice.strPath.empty() && pszVariable != nullptr)
    g_captureChoice.strPath = pszVariable;
  if (g_captureChoice.strPath.empty()) return TOBREL_OK;
  return StartCapture(g_captureChoice.strPath, g_captureChoice.form);
}

// Says on stderr why the capture file cannot be opened; the exit status.
int CaptureRefused(uint32_t nResult) {
  std::fprintf(stderr, "quorvel: %s\n", QString::fromUtf16(GetSerialErrorMessage(nResult)).toLocal8Bit().constData());
  return 1;
}

int AskText(const char*) {
  g_bTextAsked = true;
  return kContinue;
}

bool OnTerminal() { return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

// Ended by a signal: every port closes, so its queue drains and the capture file
// gets what is still queued for it, and the signal takes its course, so whoever
// sent it sees it in the exit status.
void EndAsSignalled(int nSignal) {
  for (uint8_t nPort = TOBREL_FIRST_PORT; nPort <= TOBREL_LAST_PORT; ++nPort) Close_Com(nPort);
  StopCapture();
  signal(nSignal, SIG_DFL);
  raise(nSignal);
}

int RunDesktop(int argc, char** argv) {
  // Without a display the application is not made and says why.
  if (const uint32_t nCapture = qtview::HasDisplay() ? StartChosenCapture() : TOBREL_OK; nCapture != TOBREL_OK)
    return CaptureRefused(nCapture);
  auto pApp = qtview::CreateDesktopApplication(argc, argv);
  if (!pApp) return 1;
  QGuiApplication::setApplicationName(QStringLiteral("quorvel"));
  // Lets the desktop match the window with its entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
  qtview::CQtView view;
  const int nResult = AfxWinMain();
  if (const int nSignal = win::EndingSignal()) EndAsSignalled(nSignal);
  return nResult;
}

int RunText() {
  if (!OnTerminal()) {
    std::fprintf(stderr, "quorvel: --text needs a terminal on standard input and output.\n");
    return 1;
  }
  tui::CTextView view;
  std::string strError;
  if (!view.Start(stdin, stdout, &strError)) {
    std::fprintf(stderr, "quorvel: cannot show the terminal here: %s.\n", ShowControls(strError).c_str());
    return 1;
  }
  if (const uint32_t nCapture = StartChosenCapture(); nCapture != TOBREL_OK) {
    view.Stop();
    return CaptureRefused(nCapture);
  }
  int nResult = AfxWinMain();
  // The terminal is restored first.
  view.Stop();
  if (const int nSignal = win::EndingSignal()) EndAsSignalled(nSignal);
  return nResult;
}

}  // namespace

int main(int argc, char** argv) {
  // A write to a pipe or socket whose reader went away fails with EPIPE, which every writer
  // reports; it must not end the program.
  signal(SIGPIPE, SIG_IGN);
  if (const int nStatus = RunCommandLine(argc, argv, kOptions); nStatus != kContinue) return nStatus;
  // The one place the view is chosen.
  if (g_bTextAsked || (!qtview::HasDisplay() && OnTerminal())) return RunText();
  return RunDesktop(argc, argv);
}
