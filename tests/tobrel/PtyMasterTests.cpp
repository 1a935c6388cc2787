// A new pseudo-terminal as the simulator, the tests and the benchmarks take it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "PseudoTerminal.h"
#include "PtyMaster.h"

namespace {

// Closes the fds of a test even when an assertion ends it early.
struct SFd {
  int nFd;
  ~SFd() {
    if (nFd >= 0) close(nFd);
  }
};

TEST(PtyMasterTest, TheSlaveIsATerminalThatCarriesBytesBothWays) {
  const auto pty = OpenPtyMaster();
  ASSERT_TRUE(pty.has_value()) << std::strerror(errno);
  SFd master{pty->nFd};
  struct stat st {};
  ASSERT_EQ(stat(pty->strSlave.c_str(), &st), 0) << pty->strSlave;
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  SFd slave{open(pty->strSlave.c_str(), O_RDWR | O_NOCTTY)};
  ASSERT_GE(slave.nFd, 0) << std::strerror(errno);
  EXPECT_TRUE(isatty(slave.nFd));

  // Raw, as a serial port is used: no echo, no line editing.
  termios tio{};
  ASSERT_EQ(tcgetattr(slave.nFd, &tio), 0);
  cfmakeraw(&tio);
  ASSERT_EQ(tcsetattr(slave.nFd, TCSANOW, &tio), 0);
  ASSERT_EQ(write(master.nFd, "ping", 4), 4);
  char szBuffer[16] = {};
  ASSERT_EQ(read(slave.nFd, szBuffer, sizeof szBuffer), 4);
  EXPECT_STREQ(szBuffer, "ping");
  ASSERT_EQ(write(slave.nFd, "pong", 4), 4);
  ASSERT_EQ(read(master.nFd, szBuffer, 4), 4);
  EXPECT_EQ(std::string(szBuffer, 4), "pong");
}

TEST(PtyMasterTest, EachCallGivesAPseudoTerminalOfItsOwnWithTheFlagsAsked) {
  const auto plain = OpenPtyMaster();
  const auto flagged = OpenPtyMaster(O_CLOEXEC | O_NONBLOCK);
  ASSERT_TRUE(plain && flagged);
  SFd plainFd{plain->nFd}, flaggedFd{flagged->nFd};
  EXPECT_NE(plain->strSlave, flagged->strSlave);

  EXPECT_EQ(fcntl(plain->nFd, F_GETFD) & FD_CLOEXEC, 0);
  EXPECT_EQ(fcntl(plain->nFd, F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(fcntl(flagged->nFd, F_GETFD) & FD_CLOEXEC, 0);
  EXPECT_NE(fcntl(flagged->nFd, F_GETFL) & O_NONBLOCK, 0);
  // Nothing written: a non-blocking master says so rather than wait.
  char c = 0;
  EXPECT_EQ(read(flagged->nFd, &c, 1), -1);
  EXPECT_EQ(errno, EAGAIN);
}

TEST(PtyMasterTest, WithoutAFdToSpareItGivesNothingAndSaysWhy) {
  const std::string strOutcome = RunInChild([] {
    const rlimit none{0, 0};
    if (setrlimit(RLIMIT_NOFILE, &none) != 0) return std::string("setrlimit failed");
    const auto pty = OpenPtyMaster();
    return pty ? std::string("opened ") + pty->strSlave : std::string(std::strerror(errno));
  });
  EXPECT_EQ(strOutcome, std::strerror(EMFILE));
}

}  // namespace
