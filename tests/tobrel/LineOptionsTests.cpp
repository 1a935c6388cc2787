// The line options after a port's target, from QUORVEL_COMn and ports.conf: how they are
// written, what a mistake says, and what they do to a pseudo-terminal and through ser2net.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "LineOptions.h"
#include "PortChoices.h"
#include "PseudoTerminal.h"
#include "Ser2netServer.h"
#include "Tobrel.h"
#include "TobrelResults.h"

using namespace tobrel;

namespace {

termios SlaveSettings(const std::string& strSlave) {
  termios tio{};
  const int nFd = open(strSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  tcgetattr(nFd, &tio);
  close(nFd);
  return tio;
}

// A configuration directory of the test's own, with ports.conf holding strText.
class CPortsConf {
 public:
  explicit CPortsConf(const std::string& strText) {
    const char* pszPrevious = std::getenv("XDG_CONFIG_HOME");
    m_bHadPrevious = pszPrevious != nullptr;
    if (m_bHadPrevious) m_strPrevious = pszPrevious;
    setenv("XDG_CONFIG_HOME", m_dir.Path().c_str(), 1);
    std::filesystem::create_directories(m_dir.File("quorvel"));
    std::ofstream(Path()) << strText;
  }
  ~CPortsConf() {
    if (m_bHadPrevious)
      setenv("XDG_CONFIG_HOME", m_strPrevious.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  std::string Path() const { return m_dir.File("quorvel/ports.conf"); }

 private:
  CTempDir m_dir;
  std::string m_strPrevious;
  bool m_bHadPrevious = false;
};

}  // namespace

TEST(LineOptions, WrittenAfterTheTargetAndEachMistakeNamed) {
  std::string strTarget;
  SLineOptions options;
  std::string strProblem;
  ASSERT_TRUE(
      ParseTargetOptions("/dev/ttyUSB0,flow=rtscts, dtr=off,rts=on,hangup=off", strTarget, options, strProblem));
  EXPECT_EQ(strTarget, "/dev/ttyUSB0");
  EXPECT_EQ(DescribeOptions(options), "flow=rtscts, dtr=off, rts=on, hangup=off");
  ASSERT_TRUE(ParseTargetOptions("rfc2217://[::1]:3001", strTarget, options, strProblem));
  EXPECT_EQ(strTarget, "rfc2217://[::1]:3001");
  EXPECT_EQ(DescribeOptions(options), "");

  const auto problem = [&](const char* pszText) {
    EXPECT_FALSE(ParseTargetOptions(pszText, strTarget, options, strProblem)) << pszText;
    return strProblem;
  };
  EXPECT_EQ(problem("/dev/ttyS0,speed=9600"), "unknown option speed=9600: the options are flow, dtr, rts and hangup");
  EXPECT_EQ(problem("/dev/ttyS0,flow=hardware"),
            "flow=hardware is not a flow control: write flow=none, flow=rtscts or flow=xonxoff");
  EXPECT_EQ(problem("/dev/ttyS0,dtr=1"), "dtr=1 is neither on nor off: write dtr=on or dtr=off");
  EXPECT_EQ(problem(",flow=none"), "no target before the options");

  // The termios part, and a device that does not keep it.
  termios tio{};
  ParseTargetOptions("x,flow=xonxoff,hangup=off", strTarget, options, strProblem);
  tio.c_cflag = CRTSCTS | HUPCL;
  ApplyOptions(options, tio);
  EXPECT_EQ(tio.c_cflag & (CRTSCTS | HUPCL), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
  EXPECT_EQ(DescribeOptionsMismatch(options, tio), "");
  tio.c_iflag = 0;
  tio.c_cflag = HUPCL;
  EXPECT_EQ(DescribeOptionsMismatch(options, tio), "flow=xonxoff did not hold, hangup=off did not hold");
}

TEST(LineOptions, PortsConfLastsTheEnvironmentWinsAndABadLineLeavesItsNumberAlone) {
  CPseudoTerminal pty3, pty4;
  CPortsConf conf(
      "# the bench\n"
      "COM3 = " +
      pty3.Slave() +
      ", flow=rtscts   # the modem\n"
      "\n"
      "COM4 = " +
      pty4.Slave() +
      ",parity=even\n"
      "COM12 = /dev/ttyUSB9\n"
      "COM6 /dev/ttyUSB1\n"
      "com7 = rfc2217://lab-pi:3001,dtr=off\n");
  unsetenv("QUORVEL_COM3");
  unsetenv("QUORVEL_COM4");
  unsetenv("QUORVEL_COM7");
  SPortChoices choices = ReadPortChoices();
  ASSERT_TRUE(choices.aChoices[3]);
  EXPECT_EQ(choices.aChoices[3]->strTarget, pty3.Slave());
  EXPECT_EQ(choices.aChoices[3]->strOrigin, conf.Path() + ":2");
  EXPECT_FALSE(choices.aChoices[4]);
  ASSERT_TRUE(choices.aChoices[7]);
  EXPECT_EQ(DescribeOptions(choices.aChoices[7]->options), "dtr=off");
  EXPECT_EQ(
      choices.vecProblems,
      std::vector<std::string>({conf.Path() + ":4: unknown option parity=even: the options are flow, dtr, rts and "
                                              "hangup; COM4 is left as found",
                                conf.Path() + ":5: COM12 is out of range: the dialog offers COM1 to COM10",
                                conf.Path() + ":6: not COMn = TARGET[,options]"}));
  const std::string strMap = PortMap();
  EXPECT_NE(strMap.find("COM3: " + pty3.Slave() + ", flow=rtscts (" + conf.Path() + ":2)"), std::string::npos)
      << strMap;
  EXPECT_NE(strMap.find("COM7: rfc2217://lab-pi:3001, dtr=off (" + conf.Path() + ":7)"), std::string::npos) << strMap;
  EXPECT_NE(strMap.find(conf.Path() + ":6: not COMn = TARGET[,options]"), std::string::npos) << strMap;

  // The variable wins, a good one with its own options and a bad one over the file's good line.
  setenv("QUORVEL_COM3", (pty3.Slave() + ",flow=xonxoff").c_str(), 1);
  setenv("QUORVEL_COM7", "rfc2217://lab-pi:3001,flow", 1);
  choices = ReadPortChoices();
  EXPECT_EQ(DescribeOptions(choices.aChoices[3]->options), "flow=xonxoff");
  EXPECT_EQ(choices.aChoices[3]->strOrigin, "QUORVEL_COM3");
  EXPECT_FALSE(choices.aChoices[7]);
  EXPECT_EQ(choices.vecProblems.back(),
            "QUORVEL_COM7: flow= is not a flow control: write flow=none, flow=rtscts or flow=xonxoff; COM7 is left "
            "as found");
  unsetenv("QUORVEL_COM3");
  unsetenv("QUORVEL_COM7");
}

TEST(LineOptions, APseudoTerminalTakesFlowControlAndHangUpAndTheMessageShowsThem) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(3, dir.File("com3"));
  setenv("QUORVEL_COM3", (dir.File("com3") + ",flow=rtscts,hangup=off").c_str(), 1);
  ASSERT_EQ(Open_Com(3, 9600, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM3 is open: " + dir.File("com3") + ", flow=rtscts, hangup=off");
  termios tio = SlaveSettings(pty.Slave());
  EXPECT_EQ(tio.c_cflag & (CRTSCTS | HUPCL), tcflag_t{CRTSCTS});

  // Opening again takes the options as they are now.
  setenv("QUORVEL_COM3", (dir.File("com3") + ",flow=xonxoff").c_str(), 1);
  ASSERT_EQ(Open_Com(3, 9600, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM3 is open: " + dir.File("com3") + ", flow=xonxoff");
  tio = SlaveSettings(pty.Slave());
  EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF});
  EXPECT_EQ(Close_Com(3), TOBREL_OK);
  unsetenv("QUORVEL_COM3");
}

TEST(LineOptions, ThroughSer2netFlowControlArrivesAndAnUnconfirmedDtrAndTheServersHangUpAreNamed) {
  CPseudoTerminal pty;
  CSer2net server(pty.Slave());
  ASSERT_TRUE(server.Start());
  setenv("QUORVEL_COM5", (server.Url() + ",flow=rtscts,dtr=off,hangup=off").c_str(), 1);
  ASSERT_EQ(Open_Com(5, 9600, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(MessageOf(TOBREL_OK), "COM5 is open: " + server.Url() +
                                      " (ser2net), 9600 baud, 8 data bits, no parity, 1 stop bit, flow=rtscts, "
                                      "dtr=off, hangup=off; the server did not confirm DTR within 1 s; hangup is left "
                                      "to the server");
  EXPECT_EQ(SlaveSettings(pty.Slave()).c_cflag & CRTSCTS, tcflag_t{CRTSCTS});
  EXPECT_EQ(Close_Com(5), TOBREL_OK);
  unsetenv("QUORVEL_COM5");
}
