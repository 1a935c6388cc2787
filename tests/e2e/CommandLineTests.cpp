// The program's command line, run as a person runs it, over a fake /sys and /dev.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "PseudoTerminal.h"

namespace {

struct SRun {
  int nStatus = -1;
  std::string strOut;  // standard output and error together
};

SRun RunQuorvel(const std::string& strArguments, const std::string& strEnvironment = "") {
  SRun run;
  FILE* pPipe = popen((strEnvironment + QUORVEL_PATH + " " + strArguments + " 2>&1").c_str(), "r");
  if (pPipe == nullptr) return run;
  char szBuffer[4096];
  size_t nRead = 0;
  while ((nRead = fread(szBuffer, 1, sizeof szBuffer, pPipe)) > 0) run.strOut.append(szBuffer, nRead);
  const int nWait = pclose(pPipe);
  run.nStatus = WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1;
  return run;
}

}  // namespace

TEST(CommandLine, PortsPrintsTheMappingAndExits) {
  CFakeSystem sys;
  SRun run = RunQuorvel("--ports");
  EXPECT_EQ(run.nStatus, 0);
  EXPECT_EQ(run.strOut, "No serial device found. Plug one in, or set QUORVEL_COMn to its device.\n");

  CPseudoTerminal uart, adapter, mine;
  sys.AddUart("ttyS0", 4, uart);
  sys.SetConsole("ttyS0");
  sys.AddUsb("ttyUSB0", "FTDI", "FT232R USB UART", "A6008isP", adapter);
  CTempDir dir;
  mine.MapPort(5, dir.File("mine"));
  run = RunQuorvel("--ports");
  unsetenv("QUORVEL_COM5");
  EXPECT_EQ(run.nStatus, 0);
  EXPECT_EQ(
      run.strOut,
      "COM1: /dev/ttyS0, on-board serial port: refused: the system console\n"
      "COM2: /dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP (by-id usb-FT232R_USB_UART_A6008isP-if00-port0)\n"
      "COM5: " +
          dir.File("mine") + " (QUORVEL_COM5)\n");
}

TEST(CommandLine, PortsSaysWhatIsWrongWithEachVariable) {
  CFakeSystem sys;
  CTempDir dir;
  CPseudoTerminal pty;
  std::ofstream(dir.File("plain")) << "x";
  const std::pair<const char*, std::string> variables[] = {
      {"QUORVEL_COM3", "/dev/null"}, {"QUORVEL_COM4", dir.File("plain")}, {"QUORVEL_COM5", dir.File("missing")},
      {"QUORVEL_COM6", pty.Slave()}, {"QUORVEL_COM0", pty.Slave()},       {"QUORVEL_COM11", dir.File("missing")},
  };
  for (const auto& [pszName, strValue] : variables) setenv(pszName, strValue.c_str(), 1);
  const SRun run = RunQuorvel("--ports");
  for (const auto& [pszName, strValue] : variables) unsetenv(pszName);
  EXPECT_EQ(run.nStatus, 0);
  EXPECT_EQ(run.strOut, "COM0: " + pty.Slave() +
                            " (QUORVEL_COM0): out of range: the dialog offers COM1 to COM10\n"
                            "COM3: /dev/null (QUORVEL_COM3): not a serial port\n"
                            "COM4: " +
                            dir.File("plain") +
                            " (QUORVEL_COM4): not a serial port\n"
                            "COM5: " +
                            dir.File("missing") +
                            " (QUORVEL_COM5): does not exist\n"
                            "COM6: " +
                            pty.Slave() +
                            " (QUORVEL_COM6)\n"
                            "COM11: " +
                            dir.File("missing") + " (QUORVEL_COM11): out of range: the dialog offers COM1 to COM10\n");
}

// Names a device chose (its USB strings) or a person set (a path) reach the terminal with
// their control characters as pictures, or \xNN for C1, never as control sequences.
TEST(CommandLine, PortsShowsControlCharactersInNamesAsPictures) {
  CFakeSystem sys;
  CPseudoTerminal adapter, mine;
  sys.AddUsb("ttyUSB0", "Evil", "\x1b]0;owned\x07 UART",
             "S1\xc2\x9b"
             "2J",
             adapter);
  CTempDir dir;
  mine.MapPort(5, dir.File("esc\x1b[31mred\nline"));
  const SRun run = RunQuorvel("--ports");
  unsetenv("QUORVEL_COM5");
  EXPECT_EQ(run.nStatus, 0);
  EXPECT_EQ(run.strOut,
            "COM1: /dev/ttyUSB0, Evil \u241b]0;owned\u2407 UART, serial S1\\x9b2J (by-id "
            "usb-\u241b]0;owned\u2407_UART_S1\\x9b2J-if00-port0)\n"
            "COM5: " +
                dir.File("esc\u241b[31mred\u240aline") + " (QUORVEL_COM5)\n");
}

TEST(CommandLine, HelpVersionAndArgumentsItDoesNotKnow) {
  SRun run = RunQuorvel("--help");
  EXPECT_EQ(run.nStatus, 0);
  EXPECT_EQ(run.strOut.rfind("Usage: quorvel [OPTION]...\n", 0), 0u) << run.strOut;
  for (const char* pszOption : {"--ports ", "--capture FILE ", "--capture-raw FILE ", "--help ", "--version "})
    EXPECT_NE(run.strOut.find(std::string("\n  ") + pszOption), std::string::npos) << pszOption;

  run = RunQuorvel("--version");
  EXPECT_EQ(run.nStatus, 0);
  EXPECT_EQ(run.strOut, "quorvel 1.2.0.0\n");

  run = RunQuorvel("--bogus");
  EXPECT_EQ(run.nStatus, 2);
  EXPECT_EQ(run.strOut, "quorvel: unknown argument \"--bogus\"; see quorvel --help\n");
  // Nothing acts before the whole line is understood.
  run = RunQuorvel("--ports extra");
  EXPECT_EQ(run.nStatus, 2);
  EXPECT_EQ(run.strOut, "quorvel: unknown argument \"extra\"; see quorvel --help\n");
}

TEST(CommandLine, AReaderThatWentAwayDoesNotEndTheProgramBySignal) {
  int afd[2];
  ASSERT_EQ(pipe(afd), 0);
  close(afd[0]);
  const pid_t nChild = fork();
  if (nChild == 0) {
    dup2(afd[1], STDOUT_FILENO);
    dup2(afd[1], STDERR_FILENO);
    execl(QUORVEL_PATH, QUORVEL_PATH, "--ports", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(afd[1]);
  int nStatus = 0;
  ASSERT_EQ(waitpid(nChild, &nStatus, 0), nChild);
  EXPECT_FALSE(WIFSIGNALED(nStatus)) << "ended by signal " << WTERMSIG(nStatus);
  EXPECT_TRUE(WIFEXITED(nStatus));
}

TEST(CommandLine, ACaptureFileThatCannotBeOpenedEndsTheStartWithWhy) {
  // The file is opened once a view can be shown: here the desktop view, offscreen.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  CTempDir dir;
  const std::string strPath = dir.File("missing/capture.txt");
  SRun run = RunQuorvel("--capture-raw " + strPath);
  EXPECT_EQ(run.nStatus, 1);
  EXPECT_EQ(run.strOut, "quorvel: Cannot capture to " + strPath + ": No such file or directory.\n");

  setenv("QUORVEL_CAPTURE", strPath.c_str(), 1);
  run = RunQuorvel("");
  unsetenv("QUORVEL_CAPTURE");
  EXPECT_EQ(run.nStatus, 1);
  EXPECT_EQ(run.strOut, "quorvel: Cannot capture to " + strPath + ": No such file or directory.\n");

  // A FIFO at the path is refused at once rather than waited on.
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  run = RunQuorvel("--capture " + dir.File("fifo"));
  EXPECT_EQ(run.nStatus, 1);
  EXPECT_EQ(run.strOut, "quorvel: Cannot capture to " + dir.File("fifo") + ": it is a FIFO, not a regular file.\n");

  run = RunQuorvel("--capture");
  EXPECT_EQ(run.nStatus, 2);
  EXPECT_EQ(run.strOut, "quorvel: --capture needs FILE; see quorvel --help\n");
  // A name from an empty variable, and a second file, are refused before anything opens.
  run = RunQuorvel("--capture-raw ''");
  EXPECT_EQ(run.nStatus, 2);
  EXPECT_EQ(run.strOut, "quorvel: --capture-raw needs FILE, and an empty name is none; see quorvel --help\n");
  const std::string strText = dir.File("text.log");
  const std::string strRaw = dir.File("raw.bin");
  run = RunQuorvel("--capture " + strText + " --capture-raw " + strRaw);
  EXPECT_EQ(run.nStatus, 2);
  EXPECT_EQ(run.strOut, "quorvel: one capture file a run: --capture-raw " + strRaw + " after --capture " + strText +
                            "; see quorvel --help\n");
  EXPECT_FALSE(std::filesystem::exists(strText));
  EXPECT_FALSE(std::filesystem::exists(strRaw));

  // With neither a display nor a terminal no view can be shown: the program says so and
  // leaves no capture file behind.
  run = RunQuorvel("--capture " + strText + " </dev/null", "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY ");
  EXPECT_EQ(run.nStatus, 1);
  EXPECT_NE(run.strOut.find("DISPLAY"), std::string::npos) << run.strOut;
  EXPECT_FALSE(std::filesystem::exists(strText));
}

namespace {

std::vector<std::string> Lines(const std::string& strText) {
  std::vector<std::string> vecLines;
  std::istringstream stream(strText);
  for (std::string strLine; std::getline(stream, strLine);) vecLines.push_back(strLine);
  return vecLines;
}

// The names in strText that start with strPrefix ("QUORVEL_COMn" of "QUORVEL_COMn=DEVICE").
std::set<std::string> NamesStartingWith(const std::string& strText, const std::string& strPrefix) {
  std::set<std::string> names;
  for (size_t nAt = strText.find(strPrefix); nAt != std::string::npos; nAt = strText.find(strPrefix, nAt + 1)) {
    size_t nEnd = nAt + strPrefix.size();
    while (nEnd < strText.size() && (std::isalnum(static_cast<unsigned char>(strText[nEnd])) || strText[nEnd] == '_'))
      ++nEnd;
    names.insert(strText.substr(nAt, nEnd - nAt));
  }
  return names;
}

// The manual page's entries (a line that is a bold term, "*--capture* _FILE_") under a heading.
std::set<std::string> ManualEntries(const std::string& strHeading) {
  std::ifstream file(QUORVEL_MANUAL);
  std::stringstream text;
  text << file.rdbuf();
  std::set<std::string> entries;
  bool bInSection = false;
  for (const std::string& strLine : Lines(text.str())) {
    if (strLine.starts_with("# ")) bInSection = strLine == "# " + strHeading;
    if (bInSection && strLine.starts_with("*")) entries.insert(strLine.substr(1, strLine.find('*', 1) - 1));
  }
  return entries;
}

}  // namespace

TEST(CommandLine, HelpAndTheManualPageNameTheSameOptionsAndVariables) {
  const SRun run = RunQuorvel("--help");
  ASSERT_EQ(run.nStatus, 0);
  std::set<std::string> helpOptions;
  for (const std::string& strLine : Lines(run.strOut))
    if (strLine.starts_with("  --")) helpOptions.insert(strLine.substr(2, strLine.find(' ', 2) - 2));
  EXPECT_FALSE(helpOptions.empty());
  EXPECT_EQ(ManualEntries("OPTIONS"), helpOptions);

  // The manual also explains the variables only tests and the state file use.
  const std::set<std::string> manualVariables = ManualEntries("ENVIRONMENT");
  const std::set<std::string> helpVariables = NamesStartingWith(run.strOut, "QUORVEL_");
  EXPECT_FALSE(helpVariables.empty());
  for (const std::string& strVariable : helpVariables)
    EXPECT_TRUE(manualVariables.contains(strVariable)) << strVariable << " is not in the manual page";
}
