// Opening, locking, mapping and refusing ports.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "Console.h"
#include "LineSpeed.h"
#include "PortMap.h"
#include "PseudoTerminal.h"
#include "Tobrel.h"
#include "TobrelResults.h"

using namespace tobrel;

namespace {

int OpenSlave(const std::string& strPath) { return open(strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); }

}  // namespace

TEST(TobrelPorts, NumbersOutsideOneToTenAndPortsNotOpen) {
  EXPECT_EQ(Open_Com(0, 115200, 8, 0, 0), TOBREL_ERR_PORT_NUMBER);
  EXPECT_NE(MessageOf(TOBREL_ERR_PORT_NUMBER).find("Port 0 is not a port"), std::string::npos);
  EXPECT_EQ(Open_Com(11, 115200, 8, 0, 0), TOBREL_ERR_PORT_NUMBER);
  EXPECT_NE(MessageOf(TOBREL_ERR_PORT_NUMBER).find("COM11"), std::string::npos);
  EXPECT_EQ(Close_Com(0), TOBREL_ERR_PORT_NUMBER);
  EXPECT_EQ(Close_Com(255), TOBREL_ERR_PORT_NUMBER);

  // The terminal calls everything for a port it never opened.
  uint8_t abyData[16] = {1, 2, 3};
  char szReply[TOBREL_REPLY_SIZE];
  std::memset(szReply, 'z', sizeof szReply);
  uint32_t nElapsed = 12345;
  EXPECT_EQ(Close_Com(2), TOBREL_ERR_NOT_OPEN);
  EXPECT_NE(MessageOf(TOBREL_ERR_NOT_OPEN).find("COM2 is not open"), std::string::npos);
  EXPECT_EQ(Send_Binary(2, abyData, 3, 0), TOBREL_ERR_NOT_OPEN);
  EXPECT_EQ(DataSizeInCom(2), 0u);
  EXPECT_EQ(DataSizeInCom(0), 0u);
  EXPECT_EQ(Receive_Binary(2, abyData, 100, 3, &nElapsed), TOBREL_ERR_NOT_OPEN);
  EXPECT_EQ(Send_Cmd(2, "$00M", 0, 0), TOBREL_ERR_NOT_OPEN);
  EXPECT_EQ(Receive_Cmd(2, szReply, 100, 0, &nElapsed), TOBREL_ERR_NOT_OPEN);
  EXPECT_STREQ(szReply, "");
  EXPECT_LT(nElapsed, 12345u);
  std::memset(szReply, 'z', sizeof szReply);
  EXPECT_EQ(Send_Receive_Cmd(0, "@01FF", szReply, 100, 0, &nElapsed, 0), TOBREL_ERR_PORT_NUMBER);
  EXPECT_STREQ(szReply, "");
  EXPECT_EQ(Receive_Cmd(2, nullptr, 100, 0, nullptr), TOBREL_ERR_NO_BUFFER);
}

TEST(TobrelPorts, MissingDevicesAndThingsThatAreNotPorts) {
  CTempDir dir;
  const std::string strMissing = dir.File("nothing-here");
  MapPortTo(3, strMissing);
  EXPECT_EQ(Open_Com(3, 115200, 8, 0, 0), TOBREL_ERR_NO_DEVICE);
  const std::string strText = MessageOf(TOBREL_ERR_NO_DEVICE);
  EXPECT_EQ(strText, "COM3: " + strMissing +
                         " does not exist. Plug it in and open again, or set QUORVEL_COM3 to the "
                         "device of your adapter.");
  EXPECT_EQ(DataSizeInCom(3), 0u);

  // Console and things that are not serial ports are refused before anything is opened.
  MapPortTo(4, "/dev/console");
  EXPECT_EQ(Open_Com(4, 115200, 8, 0, 0), TOBREL_ERR_CONSOLE);
  EXPECT_NE(MessageOf(TOBREL_ERR_CONSOLE).find("/dev/console is the system console"), std::string::npos)
      << MessageOf(TOBREL_ERR_CONSOLE);
  MapPortTo(4, "/dev/null");
  EXPECT_EQ(Open_Com(4, 115200, 8, 0, 0), TOBREL_ERR_NOT_A_TTY);
  EXPECT_NE(MessageOf(TOBREL_ERR_NOT_A_TTY).find("/dev/null is not a serial port"), std::string::npos);
  std::ofstream(dir.File("plain")) << "x";
  MapPortTo(4, dir.File("plain"));
  EXPECT_EQ(Open_Com(4, 115200, 8, 0, 0), TOBREL_ERR_NOT_A_TTY);
  EXPECT_EQ(Close_Com(4), TOBREL_ERR_NOT_OPEN);
}

TEST(TobrelPorts, ConsoleIsRecognisedWithoutOpeningIt) {
  // This machine's own consoles, not the test program's empty tree.
  const std::string strRoot = std::getenv("QUORVEL_SYSROOT");
  unsetenv("QUORVEL_SYSROOT");
  struct stat st {};
  ASSERT_EQ(stat("/dev/console", &st), 0);
  EXPECT_STREQ(TerminalRefusal(st.st_rdev), "the system console");
  // Whatever the kernel lists as its active consoles, by number only.
  std::ifstream active("/sys/class/tty/console/active");
  std::string strName;
  while (active >> strName) {
    std::ifstream number("/sys/class/tty/" + strName + "/dev");
    unsigned nMajor = 0;
    unsigned nMinor = 0;
    char chColon = 0;
    if (number >> nMajor >> chColon >> nMinor) {
      EXPECT_TRUE(TerminalRefusal(makedev(nMajor, nMinor)) != nullptr) << strName;
    }
  }
  CPseudoTerminal pty;
  ASSERT_EQ(stat(pty.Slave().c_str(), &st), 0);
  EXPECT_EQ(TerminalRefusal(st.st_rdev), nullptr);
  setenv("QUORVEL_SYSROOT", strRoot.c_str(), 1);
}

TEST(TobrelPorts, WrongSettingsLeaveThePortClosed) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(5, dir.File("com5"));
  EXPECT_EQ(Open_Com(5, 115200, 8, -1, 0), TOBREL_ERR_PARITY);
  EXPECT_EQ(MessageOf(TOBREL_ERR_PARITY),
            "COM5: No parity chosen: choose a parity from the list: none, odd, even or space.");
  EXPECT_EQ(Open_Com(5, 115200, 8, 0, -1), TOBREL_ERR_STOP_BITS);
  EXPECT_NE(MessageOf(TOBREL_ERR_STOP_BITS).find("No stop bits chosen"), std::string::npos);
  EXPECT_EQ(Open_Com(5, 115200, 8, 0, 1), TOBREL_ERR_STOP_BITS_UNSUPPORTED);
  EXPECT_NE(MessageOf(TOBREL_ERR_STOP_BITS_UNSUPPORTED).find("not supported with 8 data bits"), std::string::npos);
  EXPECT_EQ(Open_Com(5, 115200, 5, 0, 2), TOBREL_ERR_TWO_STOP_FIVE_DATA);
  EXPECT_EQ(Open_Com(5, 0, 8, 0, 0), TOBREL_ERR_BAUD);
  // In the terminal's own words, and saying what is accepted.
  EXPECT_EQ(MessageOf(TOBREL_ERR_BAUD),
            "COM5: No baud rate chosen: choose a baud rate from the list or type one in bits per second.");
  EXPECT_EQ(Open_Com(5, 115200, -1, 0, 0), TOBREL_ERR_DATA_BITS);
  EXPECT_EQ(Close_Com(5), TOBREL_ERR_NOT_OPEN);
}

TEST(TobrelPorts, LockedBothWaysAndReopenAppliesNewSettings) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(6, dir.File("com6"));

  // Another program holds the port.
  const int nOther = OpenSlave(pty.Slave());
  ASSERT_GE(nOther, 0);
  ASSERT_EQ(flock(nOther, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Open_Com(6, 9600, 8, 0, 0), TOBREL_ERR_IN_USE);
  EXPECT_NE(MessageOf(TOBREL_ERR_IN_USE).find("is in use by tobrel_tests (process " + std::to_string(getpid()) + ")"),
            std::string::npos);
  flock(nOther, LOCK_UN);

  // And it cannot take the port from us.
  ASSERT_EQ(Open_Com(6, 9600, 8, 0, 0), TOBREL_OK);
  EXPECT_NE(flock(nOther, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(errno, EWOULDBLOCK);

  termios tio{};
  ASSERT_EQ(tcgetattr(nOther, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), speed_t{B9600});
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_NE(tio.c_cflag & CREAD, 0u);
  EXPECT_NE(tio.c_cflag & CLOCAL, 0u);

  // Open again while open: the new settings, still 0, still locked.
  EXPECT_EQ(Open_Com(6, 921600, 7, 2, 2), TOBREL_OK);
  ASSERT_EQ(tcgetattr(nOther, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), speed_t{B921600});
  EXPECT_NE(flock(nOther, LOCK_EX | LOCK_NB), 0);

  // A rate without a Bxxx constant.
  EXPECT_EQ(Open_Com(6, 250000, 8, 0, 0), TOBREL_OK);
  uint32_t nBaud = 0;
  ASSERT_EQ(ReadLineSpeed(nOther, nBaud), 0);
  EXPECT_EQ(nBaud, 250000u);
  EXPECT_EQ(Open_Com(6, 2400, 5, 3, 1), TOBREL_OK);
  ASSERT_EQ(ReadLineSpeed(nOther, nBaud), 0);
  EXPECT_EQ(nBaud, 2400u);
  // A pseudo-terminal keeps the stop-bit and stick-parity flags (not size or parity), so
  // these show that an earlier open's bits do not survive the next.
  ASSERT_EQ(tcgetattr(nOther, &tio), 0);
  EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
  EXPECT_NE(tio.c_cflag & CMSPAR, 0u);
  EXPECT_EQ(Open_Com(6, 115200, 8, 0, 0), TOBREL_OK);
  ASSERT_EQ(tcgetattr(nOther, &tio), 0);
  EXPECT_EQ(tio.c_cflag & (CSTOPB | CMSPAR | PARENB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | ICRNL | INPCK | ISTRIP), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);

  EXPECT_EQ(Close_Com(6), TOBREL_OK);
  EXPECT_EQ(flock(nOther, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(Close_Com(6), TOBREL_ERR_NOT_OPEN);
  close(nOther);
}

TEST(TobrelPorts, PermissionDeniedSaysWhoMayUseTheDevice) {
  CPseudoTerminal pty;
  MapPortTo(6, pty.Slave());
  const auto openAsNobody = [] {
    return RunInChild([] {
      if (!BecomeNobody()) return std::string("still root");
      return Open_Com(6, 115200, 8, 0, 0) == TOBREL_ERR_PERMISSION ? MessageOf(TOBREL_ERR_PERMISSION) : "opened";
    });
  };
  const bool bRoot = geteuid() == 0;
  // Only its owner may use it.
  if (bRoot) {
    ASSERT_EQ(chown(pty.Slave().c_str(), 0, 0), 0);
  }
  ASSERT_EQ(chmod(pty.Slave().c_str(), bRoot ? 0600 : 0000), 0);
  const std::string strOwner = bRoot ? "root" : getpwuid(geteuid())->pw_name;
  EXPECT_EQ(openAsNobody(), "COM6: " + pty.Slave() + ": permission denied. Nobody but its owner (" + strOwner +
                                ") may use it. An administrator grants access with a udev rule setting "
                                "GROUP=\"dialout\", MODE=\"0660\" for it.");

  // Its group may: join the group.
  const group* pDialout = getgrnam("dialout");
  if (!bRoot || pDialout == nullptr) GTEST_SKIP() << "giving a device to group dialout needs root and the group";
  ASSERT_EQ(chown(pty.Slave().c_str(), 0, pDialout->gr_gid), 0);
  ASSERT_EQ(chmod(pty.Slave().c_str(), 0660), 0);
  EXPECT_EQ(openAsNobody(), "COM6: " + pty.Slave() +
                                ": permission denied. Members of its group dialout may use it: join it with sudo "
                                "usermod -aG dialout $USER, then log out and in again.");
}

TEST(TobrelPorts, TheProgramsOwnTerminalAndVirtualConsolesAreRefusedUntouched) {
  CPseudoTerminal pty;
  const std::string strSlave = pty.Slave();
  // A program started from a terminal has it as its controlling terminal.
  const std::string strSaid = RunInChild([&] {
    if (setsid() < 0) return std::string("no session");
    const int nFd = open(strSlave.c_str(), O_RDWR);
    termios tioBefore{};
    if (nFd < 0 || ioctl(nFd, TIOCSCTTY, 0) != 0 || tcgetattr(nFd, &tioBefore) != 0) return std::string("no terminal");
    std::string strOut;
    for (const std::string& strDevice : {std::string("/dev/tty"), strSlave}) {
      MapPortTo(1, strDevice);
      if (Open_Com(1, 2400, 7, 2, 2) == TOBREL_ERR_CONSOLE) strOut += MessageOf(TOBREL_ERR_CONSOLE) + "\n";
    }
    termios tioAfter{};
    tcgetattr(nFd, &tioAfter);
    const bool bSame = tioAfter.c_lflag == tioBefore.c_lflag && tioAfter.c_iflag == tioBefore.c_iflag &&
                       tioAfter.c_cflag == tioBefore.c_cflag && cfgetospeed(&tioAfter) == cfgetospeed(&tioBefore);
    return strOut + (bSame ? "modes kept" : "modes changed");
  });
  EXPECT_EQ(strSaid,
            "COM1: /dev/tty is the terminal this program runs in, which a test terminal must not take over. Set "
            "QUORVEL_COM1 to another device.\n"
            "COM1: " +
                strSlave +
                " is the terminal this program runs in, which a test terminal must not take over. Set QUORVEL_COM1 "
                "to another device.\n"
                "modes kept");

  struct stat st {};
  if (stat("/dev/tty0", &st) != 0) GTEST_SKIP() << "no /dev/tty0 here";
  MapPortTo(1, "/dev/tty0");
  EXPECT_EQ(Open_Com(1, 2400, 7, 2, 2), TOBREL_ERR_CONSOLE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_CONSOLE),
            "COM1: /dev/tty0 is a virtual console, which a test terminal must not take over. Set QUORVEL_COM1 to "
            "another device.");
}

// Terminals that are someone else's: the multiplexer, never; a shell's terminal in another
// session, only when a person maps it and confirms it is a serial line. A terminal nobody
// holds opens, and gets its modes back at close.
TEST(TobrelPorts, OtherPeoplesTerminalsAreRefusedAndAPlainOneGetsItsModesBack) {
  MapPortTo(10, "/dev/ptmx");
  EXPECT_EQ(Open_Com(10, 115200, 8, 0, 0), TOBREL_ERR_CONSOLE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_CONSOLE),
            "COM10: /dev/ptmx is the pseudo-terminal multiplexer, which a test terminal must not take over. Set "
            "QUORVEL_COM10 to another device.");
  unsetenv("QUORVEL_COM10");

  CPseudoTerminal shells;
  const std::string strShells = shells.Slave();
  int afdReady[2];
  ASSERT_EQ(pipe(afdReady), 0);
  const pid_t nShell = fork();
  if (nShell == 0) {
    // A shell's session, with the pseudo-terminal as its controlling terminal.
    const int nFd = setsid() < 0 ? -1 : open(strShells.c_str(), O_RDWR);
    if (nFd < 0 || ioctl(nFd, TIOCSCTTY, 0) != 0 || write(afdReady[1], "r", 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  close(afdReady[1]);
  char chReady = 0;
  ASSERT_EQ(read(afdReady[0], &chReady, 1), 1);
  close(afdReady[0]);
  MapPortTo(3, strShells);
  EXPECT_EQ(Open_Com(3, 115200, 8, 0, 0), TOBREL_ERR_CONSOLE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_CONSOLE),
            "COM3: " + strShells +
                " is the controlling terminal of another session, which a test terminal must not take over. Set "
                "QUORVEL_COM3 to another device, or, if it is a serial line, confirm that with "
                "QUORVEL_COM3_IS_SERIAL=yes.");
  EXPECT_NE(
      PortMap().find("COM3: " + strShells + " (QUORVEL_COM3): refused: the controlling terminal of another session"),
      std::string::npos);
  setenv("QUORVEL_COM3_IS_SERIAL", "yes", 1);
  EXPECT_EQ(Open_Com(3, 115200, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(Close_Com(3), TOBREL_OK);
  unsetenv("QUORVEL_COM3_IS_SERIAL");
  unsetenv("QUORVEL_COM3");
  kill(nShell, SIGKILL);
  waitpid(nShell, nullptr, 0);

  CPseudoTerminal plain;
  const int nFd = OpenSlave(plain.Slave());
  ASSERT_GE(nFd, 0);
  termios tioBefore{};
  ASSERT_EQ(tcgetattr(nFd, &tioBefore), 0);
  MapPortTo(4, plain.Slave());
  ASSERT_EQ(Open_Com(4, 9600, 7, 2, 2), TOBREL_OK);
  termios tioOpen{};
  ASSERT_EQ(tcgetattr(nFd, &tioOpen), 0);
  EXPECT_NE(tioOpen.c_lflag, tioBefore.c_lflag);
  ASSERT_EQ(Close_Com(4), TOBREL_OK);
  termios tioAfter{};
  ASSERT_EQ(tcgetattr(nFd, &tioAfter), 0);
  EXPECT_EQ(tioAfter.c_lflag, tioBefore.c_lflag);
  EXPECT_EQ(tioAfter.c_iflag, tioBefore.c_iflag);
  EXPECT_EQ(tioAfter.c_oflag, tioBefore.c_oflag);
  EXPECT_EQ(tioAfter.c_cflag, tioBefore.c_cflag);
  close(nFd);
  unsetenv("QUORVEL_COM4");
}
