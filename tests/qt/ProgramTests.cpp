// The real desktop program, offscreen, its buttons clicked from inside it by a preloaded
// library, its port a pseudo-terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "PseudoTerminal.h"

namespace {

// Starts the program with the capture file, clicking the buttons named in strClicks.
pid_t StartQuorvel(const std::string& strCapture, const std::string& strClicks) {
  const pid_t nPid = fork();
  if (nPid != 0) return nPid;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("QUORVEL_TEST_CLICKS", strClicks.c_str(), 1);
  setenv("LD_PRELOAD", QUORVEL_CLICKER_PATH, 1);
  // Under AddressSanitizer its runtime is then not the first library.
  const char* pszAsan = std::getenv("ASAN_OPTIONS");
  setenv("ASAN_OPTIONS", (std::string(pszAsan ? pszAsan : "") + ":verify_asan_link_order=0").c_str(), 1);
  execl(QUORVEL_PATH, "quorvel", "--capture", strCapture.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

TEST(DesktopProgram, ASignalEndsItWithEveryQueuedLineCapturedAndThePortClosed) {
  for (int nSignal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(strsignal(nSignal));
    CTempDir dir;
    CPseudoTerminal pty;
    pty.MapPort(1, dir.File("com1"));
    const std::string strCapture = dir.File("capture.txt");
    const pid_t nPid = StartQuorvel(strCapture, "Open Com|Send");
    ASSERT_GT(nPid, 0);
    // The device has the block: the signal comes well within the capture's write period.
    const std::vector<uint8_t> vecBlock = pty.Read(5, 30000);
    kill(nPid, nSignal);
    int nStatus = 0;
    ASSERT_EQ(waitpid(nPid, &nStatus, 0), nPid);
    ASSERT_EQ(vecBlock, std::vector<uint8_t>({'$', '0', '0', 'M', '\r'}));
    EXPECT_TRUE(WIFSIGNALED(nStatus)) << nStatus;
    EXPECT_EQ(WTERMSIG(nStatus), nSignal);
    // The send record holds the block, yet no confirmation box held the ending up.
    const std::string strFile = ReadFile(strCapture);
    EXPECT_NE(strFile.find(" COM1 ! opened "), std::string::npos) << strFile;
    EXPECT_NE(strFile.find(" COM1 > $00M\\r\n"), std::string::npos) << strFile;
    EXPECT_NE(strFile.find(" COM1 ! closed\n"), std::string::npos) << strFile;
  }
}
