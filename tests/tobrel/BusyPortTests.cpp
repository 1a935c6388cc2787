// A port that another program holds says who holds it, and for the programs that commonly
// take adapters, the usual fix.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "PseudoTerminal.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace {

// flock(1) under the name strProgram, holding a lock on strPath (with a sleep) until it is killed.
class CHolder {
 public:
  CHolder(const CTempDir& dir, const std::string& strProgram, const std::string& strPath) {
    const std::string strCopy = dir.File(strProgram);
    std::filesystem::copy_file("/usr/bin/flock", strCopy);
    std::filesystem::permissions(strCopy, std::filesystem::perms::owner_all);
    m_nPid = fork();
    if (m_nPid == 0) {
      // A group of its own, so that its sleep, which shares the lock, ends with it.
      setpgid(0, 0);
      execl(strCopy.c_str(), strProgram.c_str(), "--exclusive", strPath.c_str(), "sleep", "60", nullptr);
      _exit(127);
    }
  }
  ~CHolder() {
    kill(-m_nPid, SIGTERM);
    waitpid(m_nPid, nullptr, 0);
  }
  pid_t Pid() const { return m_nPid; }

 private:
  pid_t m_nPid = -1;
};

// Opens nPort until another program's lock refuses it, as long as the holder takes to start.
uint32_t OpenUntilRefused(uint8_t nPort) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (;;) {
    const uint32_t nResult = Open_Com(nPort, 9600, 8, 0, 0);
    if (nResult != TOBREL_OK || std::chrono::steady_clock::now() > deadline) return nResult;
    Close_Com(nPort);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

TEST(BusyPort, TheMessageNamesTheHolderAndForModemManagerAndBrlttyTheUsualFix) {
  CTempDir dir;
  CPseudoTerminal pty;
  pty.MapPort(8, dir.File("com8"));
  {
    CHolder holder(dir, "minicom", pty.Slave());
    ASSERT_EQ(OpenUntilRefused(8), TOBREL_ERR_IN_USE);
    EXPECT_EQ(MessageOf(TOBREL_ERR_IN_USE), "COM8: " + dir.File("com8") + " is in use by minicom (process " +
                                                std::to_string(holder.Pid()) +
                                                "). Close that program or choose another port.");
  }
  {
    CHolder holder(dir, "brltty", pty.Slave());
    ASSERT_EQ(OpenUntilRefused(8), TOBREL_ERR_IN_USE);
    EXPECT_NE(MessageOf(TOBREL_ERR_IN_USE)
                  .find("is in use by brltty (process " + std::to_string(holder.Pid()) +
                        "). brltty, the Braille display driver, claims CH340 and CP210x "
                        "adapters: remove it with sudo apt remove brltty"),
              std::string::npos);
  }
  CHolder holder(dir, "ModemManager", pty.Slave());
  ASSERT_EQ(OpenUntilRefused(8), TOBREL_ERR_IN_USE);
  EXPECT_EQ(MessageOf(TOBREL_ERR_IN_USE),
            "COM8: " + dir.File("com8") + " is in use by ModemManager (process " + std::to_string(holder.Pid()) +
                "). ModemManager probes every new serial device for a modem: stop it with sudo systemctl stop "
                "ModemManager, or keep it off this adapter with a udev rule setting ENV{ID_MM_DEVICE_IGNORE}=\"1\".");
}
