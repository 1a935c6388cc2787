// COM numbers of real adapters, over a fake /sys and /dev with pseudo-terminals behind the
// device nodes; and the messages a person meets when a number has nothing usable behind it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CaptureReader.h"
#include "PortMemory.h"
#include "PseudoTerminal.h"
#include "Tobrel.h"
#include "TobrelCapture.h"
#include "TobrelResults.h"

using namespace tobrel;

namespace {

std::string StateFile() { return std::string(std::getenv("XDG_STATE_HOME")) + "/quorvel/ports"; }

// A state directory of the test's own, for the numbers it remembers.
class CFreshState {
 public:
  CFreshState() : m_strPrevious(std::getenv("XDG_STATE_HOME")) { setenv("XDG_STATE_HOME", m_dir.Path().c_str(), 1); }
  ~CFreshState() { setenv("XDG_STATE_HOME", m_strPrevious.c_str(), 1); }

 private:
  CTempDir m_dir;
  std::string m_strPrevious;
};

// Bytes written on the device side arrive on the port.
bool Carries(const CPseudoTerminal& pty, uint8_t nPort) {
  if (!pty.Write("ping")) return false;
  uint8_t abyBuffer[8] = {};
  uint32_t nElapsed = 0;
  return Receive_Binary(nPort, abyBuffer, 2000, 4, &nElapsed) == TOBREL_OK &&
         std::string(abyBuffer, abyBuffer + 4) == "ping";
}

}  // namespace

TEST(TobrelPortMap, ChipsKeepTheirNumbersAndAdaptersKeepTheirsAcrossUnplugAndRestart) {
  CFreshState state;
  CFakeSystem sys;
  CPseudoTerminal uart0, uart1, uart2, adapterA, adapterB;
  sys.AddUart("ttyS0", 4, uart0);
  sys.AddUart("ttyS1", 0, uart1);  // no chip behind it: no number
  sys.AddUart("ttyS2", 4, uart2);
  sys.AddUsb("ttyUSB0", "FTDI", "FT232R USB UART", "A6008isP", adapterA);
  EXPECT_EQ(
      PortMap(),
      "COM1: /dev/ttyS0, on-board serial port\n"
      "COM2: /dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP (by-id usb-FT232R_USB_UART_A6008isP-if00-port0)\n"
      "COM3: /dev/ttyS2, on-board serial port");

  ASSERT_EQ(Open_Com(2, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM2 is open: /dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP");
  EXPECT_TRUE(Carries(adapterA, 2));
  EXPECT_EQ(Close_Com(2), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM2 is closed (/dev/ttyUSB0)");

  // Pulled out, another adapter in its place: that one does not take COM2.
  sys.Unplug("ttyUSB0");
  sys.AddUsb("ttyUSB0", "Prolific Technology Inc.", "USB-Serial Controller", "B1", adapterB);
  ASSERT_EQ(Open_Com(4, 9600, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK),
            "COM4 is open: /dev/ttyUSB0, Prolific Technology Inc. USB-Serial Controller, serial B1");
  EXPECT_TRUE(Carries(adapterB, 4));
  EXPECT_EQ(Close_Com(4), TOBREL_OK);
  // The first one comes back under another name and finds its number.
  sys.AddUsb("ttyUSB1", "FTDI", "FT232R USB UART", "A6008isP", adapterA);
  ASSERT_EQ(Open_Com(2, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM2 is open: /dev/ttyUSB1, FTDI FT232R USB UART, serial A6008isP");
  EXPECT_TRUE(Carries(adapterA, 2));
  EXPECT_EQ(Close_Com(2), TOBREL_OK);

  // A restart with the other adapter plugged in first: each keeps its number.
  {
    CFakeSystem after;
    after.AddUsb("ttyUSB0", "Prolific Technology Inc.", "USB-Serial Controller", "B1", adapterB);
    after.AddUsb("ttyUSB1", "FTDI", "FT232R USB UART", "A6008isP", adapterA);
    std::istringstream lines(PortMap());
    std::string strLine;
    std::getline(lines, strLine);
    EXPECT_EQ(strLine.substr(0, 24), "COM2: /dev/ttyUSB1, FTDI");
    std::getline(lines, strLine);
    EXPECT_EQ(strLine.substr(0, 28), "COM4: /dev/ttyUSB0, Prolific");
  }

  // QUORVEL_COMn wins; the adapter it displaces borrows a number and keeps its own for later.
  CPseudoTerminal other;
  CTempDir dir;
  other.MapPort(2, dir.File("mine"));
  EXPECT_NE(PortMap().find("COM2: " + dir.File("mine") + " (QUORVEL_COM2)"), std::string::npos) << PortMap();
  ASSERT_EQ(Open_Com(2, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_TRUE(Carries(other, 2));
  EXPECT_EQ(Close_Com(2), TOBREL_OK);
  unsetenv("QUORVEL_COM2");
  EXPECT_NE(PortMap().find("COM2: /dev/ttyUSB1, FTDI"), std::string::npos) << PortMap();
}

TEST(TobrelPortMap, TheConsoleIsRefusedAndAMissingNumberListsWhatThereIs) {
  CFreshState state;
  CFakeSystem sys;
  CPseudoTerminal uart0, adapter;
  sys.AddUart("ttyS0", 4, uart0);
  sys.AddUsb("ttyUSB0", "FTDI", "FT232R USB UART", "A6008isP", adapter);
  sys.SetConsole("ttyS0");
  termios tioBefore{};
  const int nFd = open(uart0.Slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(nFd, 0);
  ASSERT_EQ(tcgetattr(nFd, &tioBefore), 0);

  EXPECT_EQ(Open_Com(1, 2400, 7, 2, 2), TOBREL_ERR_CONSOLE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_CONSOLE),
            "COM1: /dev/ttyS0 (on-board serial port) is the system console, which a test terminal must not take "
            "over. Set QUORVEL_COM1 to another device.");
  termios tioAfter{};
  ASSERT_EQ(tcgetattr(nFd, &tioAfter), 0);
  EXPECT_EQ(cfgetospeed(&tioAfter), cfgetospeed(&tioBefore));
  EXPECT_EQ(tioAfter.c_lflag, tioBefore.c_lflag);
  close(nFd);
  EXPECT_NE(PortMap().find("COM1: /dev/ttyS0, on-board serial port: refused: the system console"), std::string::npos);

  EXPECT_EQ(Open_Com(4, 115200, 8, 0, 0), TOBREL_ERR_NO_DEVICE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_NO_DEVICE),
            "COM4 has no device: the serial devices found are COM1 (/dev/ttyS0, on-board serial port, refused: the "
            "system console), COM2 (/dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP). Plug one in and open "
            "again, or set QUORVEL_COM4.");
  sys.Unplug("ttyUSB0");
  sys.Unplug("ttyS0");
  EXPECT_EQ(Open_Com(2, 115200, 8, 0, 0), TOBREL_ERR_NO_DEVICE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_NO_DEVICE),
            "COM2 has no device, and no serial device was found. Plug one in and open again, or set QUORVEL_COM2.");
  EXPECT_EQ(PortMap(), "");
}

// A path a person set: a line break shows as its picture, on one status line; a path too long
// to open says so first.
TEST(TobrelPortMap, ALineBreakInAPathIsShownAsAPictureAndAnOverlongPathSaysWhy) {
  CFreshState state;
  CFakeSystem sys;
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(4, dir.File("two\nlines\x1b[2J"));
  ASSERT_EQ(StartCapture(dir.File("capture.log"), ECaptureForm::Text), TOBREL_OK);
  ASSERT_EQ(Open_Com(4, 115200, 8, 0, 0), TOBREL_OK);
  std::u16string strStatus = GetSerialErrorMessage(TOBREL_OK);
  const std::u16string strDir(dir.Path().begin(), dir.Path().end());
  EXPECT_EQ(strStatus, u"COM4 is open: " + strDir + u"/two\u240alines\u241b[2J");
  EXPECT_EQ(std::u16string(GetSerialPortMap()), u"COM4: " + strDir + u"/two\u240alines\u241b[2J (QUORVEL_COM4)");
  ASSERT_EQ(Close_Com(4), TOBREL_OK);
  StopCapture();
  // The capture's event line too stays one line.
  std::vector<SCaptureLine> vecLines;
  std::string strError;
  ASSERT_TRUE(ReadCaptureFile(dir.File("capture.log"), vecLines, strError)) << strError;
  ASSERT_EQ(vecLines.size(), 2u);
  EXPECT_TRUE(std::string(vecLines[0].vecBytes.begin(), vecLines[0].vecBytes.end())
                  .starts_with("opened " + dir.Path() + "/two\u240alines\u241b[2J, 115200 baud"));

  const std::string strLong = "/" + std::string(4999, 'x');
  setenv("QUORVEL_COM4", strLong.c_str(), 1);
  EXPECT_EQ(Open_Com(4, 115200, 8, 0, 0), TOBREL_ERR_OPEN_COM);
  EXPECT_EQ(MessageOf(TOBREL_ERR_OPEN_COM), "COM4: the device's path is too long to open (5000 bytes): " +
                                                strLong.substr(0, 60) + "?. Set QUORVEL_COM4 to a shorter path.");
  EXPECT_TRUE(PortMap().ends_with(" (QUORVEL_COM4): path too long"));
  unsetenv("QUORVEL_COM4");
}

TEST(TobrelPortMap, ADamagedStateFileStartsAfreshAndTheFileStaysSmall) {
  CFreshState state;
  CFakeSystem sys;
  CPseudoTerminal adapter;
  std::filesystem::create_directories(std::filesystem::path(StateFile()).parent_path());
  std::ofstream(StateFile()) << "COM2 by-id/x\n\x01garbage here\n";
  sys.AddUsb("ttyUSB0", "FTDI", "FT232R USB UART", "A6008isP", adapter);

  testing::internal::CaptureStderr();
  EXPECT_EQ(PortMap().substr(0, 19), "COM1: /dev/ttyUSB0,");
  EXPECT_EQ(PortMap().substr(0, 19), "COM1: /dev/ttyUSB0,");
  const std::string strSaid = testing::internal::GetCapturedStderr();
  EXPECT_EQ(strSaid,
            "quorvel: " + StateFile() + " is damaged at line 2; the COM numbers of USB adapters start afresh.\n");
  std::ifstream file(StateFile());
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("\nCOM1 by-id/usb-FT232R_USB_UART_A6008isP-if00-port0\n"), std::string::npos) << text.str();

  // Beyond 64 identities the least recently seen are forgotten.
  {
    CPortMemory memory;
    for (int i = 0; i < 70; ++i) memory.Remember(static_cast<uint8_t>(1 + i % 10), "by-id/adapter" + std::to_string(i));
    memory.Save();
  }
  CPortMemory memory;
  EXPECT_EQ(memory.NumberOf("by-id/adapter69"), 10u);
  EXPECT_EQ(memory.NumberOf("by-id/adapter6"), 7u);
  EXPECT_EQ(memory.NumberOf("by-id/adapter5"), 0u);
  std::ifstream kept(StateFile());
  std::string strLine;
  size_t nLines = 0;
  while (std::getline(kept, strLine)) nLines += strLine[0] != '#';
  EXPECT_EQ(nLines, CPortMemory::kMaxIdentities);
  EXPECT_TRUE(std::filesystem::is_regular_file(StateFile()));
}

// The COM-number memory under umask 000, with a link planted at the temporary name an earlier
// version used and a FIFO in the file's place: the file and its folder stay the user's alone,
// nothing planted is followed or waited on, and the damage is told on stderr and once in the
// status line.
TEST(TobrelPortMap, TheStateFileIsTheUsersAloneAndWhatIsPlantedThereIsNoTrap) {
  CFreshState state;
  CFakeSystem sys;
  CPseudoTerminal adapter;
  sys.AddUsb("ttyUSB0", "FTDI", "FT232R USB UART", "A6008isP", adapter);
  const std::filesystem::path folder = std::filesystem::path(StateFile()).parent_path();
  const mode_t nUmask = umask(0);
  EXPECT_EQ(PortMap().substr(0, 19), "COM1: /dev/ttyUSB0,");
  umask(nUmask);
  struct stat st {};
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(StateFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  CTempDir dir;
  std::ofstream(dir.File("victim")) << "keep\n";
  std::filesystem::create_symlink(dir.File("victim"), StateFile() + ".new." + std::to_string(getpid()));
  ASSERT_EQ(unlink(StateFile().c_str()), 0);
  ASSERT_EQ(mkfifo(StateFile().c_str(), 0600), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(PortMap().substr(0, 19), "COM1: /dev/ttyUSB0,");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorvel: " + StateFile() + " is not a regular file; the COM numbers of USB adapters start afresh.\n");
  EXPECT_EQ(ReadFile(dir.File("victim")), "keep\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(StateFile()));
  size_t nEntries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++nEntries;
  EXPECT_EQ(nEntries, 2u) << "the file and the planted link, and no temporary file left";

  ASSERT_EQ(Open_Com(1, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM1 is open: /dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP. " + StateFile() +
                                      " is not a regular file; the COM numbers of USB adapters start afresh.");
  ASSERT_EQ(Close_Com(1), TOBREL_OK);
  ASSERT_EQ(Open_Com(1, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM1 is open: /dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP");
  ASSERT_EQ(Close_Com(1), TOBREL_OK);
}
