// The library against the simulated controller, and slot switching through the SDK.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "PallixBackplane.h"
#include "PallixSDK.h"
#include "PseudoTerminal.h"
#include "StreamPattern.h"
#include "Tobrel.h"
#include "TobrelResults.h"

extern char** environ;

namespace {

// quorvel-sim running for one test, its stdout silenced.
class CSimulator {
 public:
  CSimulator(const CTempDir& dir, std::vector<std::string> vecExtra = {})
      : m_strLink(dir.File("com")), m_strBackplane(dir.File("backplane")), m_strReady(dir.File("ready")) {
    std::vector<std::string> vecArgs{QUORVEL_SIM_PATH, "--link",       m_strLink, "--backplane",
                                     m_strBackplane,   "--ready-file", m_strReady};
    vecArgs.insert(vecArgs.end(), vecExtra.begin(), vecExtra.end());
    std::vector<char*> vecArgv;
    for (std::string& strArg : vecArgs) vecArgv.push_back(strArg.data());
    vecArgv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&m_nPid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ) != 0) m_nPid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }

  ~CSimulator() { Stop(); }

  bool WaitReady() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (access(m_strReady.c_str(), F_OK) != 0) {
      if (m_nPid < 0 || std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  // The exit status, or -1.
  int Stop() {
    if (m_nPid < 0) return -1;
    kill(m_nPid, SIGTERM);
    int nStatus = 0;
    waitpid(m_nPid, &nStatus, 0);
    m_nPid = -1;
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
  }

  const std::string& Link() const { return m_strLink; }
  const std::string& Backplane() const { return m_strBackplane; }
  const std::string& Ready() const { return m_strReady; }

 private:
  std::string m_strLink;
  std::string m_strBackplane;
  std::string m_strReady;
  pid_t m_nPid = -1;
};

std::string Ask(uint8_t nPort, const char* pszCommand, uint32_t* pResult = nullptr, uint16_t nTimeout = 2000) {
  char szReply[TOBREL_REPLY_SIZE];
  std::memset(szReply, 'z', sizeof szReply);
  uint32_t nElapsed = 0;
  const uint32_t nResult = Send_Receive_Cmd(nPort, pszCommand, szReply, nTimeout, 0, &nElapsed, 0);
  if (pResult != nullptr) *pResult = nResult;
  return szReply;
}

}  // namespace

TEST(TobrelSimulator, ModuleQueriesFollowTheSlotSwitches) {
  CTempDir dir;
  CSimulator sim(dir);
  ASSERT_TRUE(sim.WaitReady());
  MapPortTo(9, sim.Link());
  setenv(kBackplaneVariable, sim.Backplane().c_str(), 1);
  ASSERT_EQ(Open_Com(9, 115200, 8, 0, 0), TOBREL_OK);

  uint32_t nResult = 0xDEAD;
  EXPECT_EQ(Ask(9, "$00M", &nResult), "!00KESTRA-7017");
  EXPECT_EQ(nResult, TOBREL_OK);
  EXPECT_EQ(Ask(9, "@01FF", &nResult), ">");
  EXPECT_EQ(nResult, TOBREL_OK);
  EXPECT_EQ(Ask(9, "$01M"), "!01KESTRA-7060");
  // Any other line comes back with CR LF; the LF does not spoil the next reply.
  EXPECT_EQ(Ask(9, "hello there"), "hello there");

  // The terminal's name query: Send_Cmd, then Receive_Cmd.
  char szReply[TOBREL_REPLY_SIZE] = {};
  uint32_t nElapsed = 0;
  ASSERT_EQ(Send_Cmd(9, "$00M", 0, 0), TOBREL_OK);
  EXPECT_EQ(Receive_Cmd(9, szReply, 2000, 0, &nElapsed), TOBREL_OK);
  EXPECT_STREQ(szReply, "!00KESTRA-7017");

  EXPECT_EQ(ChangeSlotToKestra(3), PALLIX_OK);
  EXPECT_EQ(Ask(9, "$00M"), "!00KESTRA-7012");
  // No module at 01 in slot 3: silence, and the reply times out empty.
  EXPECT_EQ(Ask(9, "@01FF", &nResult, 200), "");
  EXPECT_EQ(nResult, TOBREL_ERR_REPLY_TIMEOUT);

  // 0 and 9 are no slots: ignored, nothing sent.
  EXPECT_EQ(ChangeSlotToKestra(0), PALLIX_ERR_SLOT);
  EXPECT_EQ(ChangeSlotToKestra(9), PALLIX_ERR_SLOT);
  EXPECT_EQ(Ask(9, "$00M"), "!00KESTRA-7012");

  EXPECT_EQ(ChangeSlotToKestra(2), PALLIX_OK);
  EXPECT_EQ(Ask(9, "$00M", &nResult, 200), "");
  EXPECT_EQ(ChangeSlotToKestra(1), PALLIX_OK);
  EXPECT_EQ(Ask(9, "$00m"), "!00KESTRA-7065");
  EXPECT_EQ(ChangeSlotToKestra(7), PALLIX_OK);
  EXPECT_EQ(Ask(9, "$00M"), "!00KESTRA-7017");

  // The terminal opens and closes again and again; the simulator stays.
  EXPECT_EQ(Close_Com(9), TOBREL_OK);
  ASSERT_EQ(Open_Com(9, 9600, 8, 0, 0), TOBREL_OK);
  EXPECT_EQ(Ask(9, "@01FF"), ">");
  EXPECT_EQ(Close_Com(9), TOBREL_OK);

  // A stopped controller takes its socket along: the switch fails. Without a
  // backplane named there is nothing to switch, and that is no failure.
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_EQ(ChangeSlotToKestra(4), PALLIX_ERR_BACKPLANE);
  unsetenv(kBackplaneVariable);
  EXPECT_EQ(ChangeSlotToKestra(5), PALLIX_NO_BACKPLANE);
  EXPECT_EQ(std::u16string(GetPallixMessage(PALLIX_NO_BACKPLANE)),
            u"No backplane is named (QUORVEL_BACKPLANE), so slot 5 was not switched.");
}

TEST(TobrelSimulator, ReplyLongerThan99CharactersIsCut) {
  CTempDir dir;
  CSimulator sim(dir);
  ASSERT_TRUE(sim.WaitReady());
  MapPortTo(10, sim.Link());
  ASSERT_EQ(Open_Com(10, 115200, 8, 0, 0), TOBREL_OK);

  std::string strLong;
  for (int i = 0; i < 150; ++i) strLong += static_cast<char>('A' + i % 26);
  char abyReply[120];
  std::memset(abyReply, '#', sizeof abyReply);
  uint32_t nElapsed = 0;
  EXPECT_EQ(Send_Receive_Cmd(10, strLong.c_str(), abyReply, 2000, 0, &nElapsed, 0), TOBREL_ERR_REPLY_TRUNCATED);
  EXPECT_EQ(std::string(abyReply), strLong.substr(0, TOBREL_REPLY_SIZE - 1));
  EXPECT_EQ(abyReply[TOBREL_REPLY_SIZE - 1], '\0');
  for (size_t i = TOBREL_REPLY_SIZE; i < sizeof abyReply; ++i) EXPECT_EQ(abyReply[i], '#') << i;
  // The rest of the long line went with it.
  EXPECT_EQ(Ask(10, "$00M"), "!00KESTRA-7017");
  EXPECT_EQ(Close_Com(10), TOBREL_OK);
}

TEST(TobrelSimulator, StreamsTheDeterministicPattern) {
  CTempDir dir;
  constexpr size_t kCount = 1 << 20;
  CSimulator sim(dir, {"--stream", "0", "--count", std::to_string(kCount), "--kind", "lines"});
  ASSERT_TRUE(sim.WaitReady());
  MapPortTo(1, sim.Link());
  ASSERT_EQ(Open_Com(1, 921600, 8, 0, 0), TOBREL_OK);
  ASSERT_EQ(Send_Cmd(1, "STREAM", 0, 0), TOBREL_OK);

  std::vector<uint8_t> vecExpected(kCount);
  CStreamPattern(EStreamKind::Lines).Fill(vecExpected.data(), kCount);
  std::vector<uint8_t> vecReceived;
  uint8_t abyBlock[1024];
  uint32_t nElapsed = 0;
  while (vecReceived.size() < kCount) {
    const auto nBlock = static_cast<uint16_t>(std::min<size_t>(1023, kCount - vecReceived.size()));
    ASSERT_EQ(Receive_Binary(1, abyBlock, 5000, nBlock, &nElapsed), TOBREL_OK) << vecReceived.size();
    vecReceived.insert(vecReceived.end(), abyBlock, abyBlock + nBlock);
  }
  EXPECT_TRUE(vecReceived == vecExpected);
  bool abSeen[256] = {};
  for (uint8_t byValue : vecReceived) abSeen[byValue] = true;
  EXPECT_EQ(std::count(std::begin(abSeen), std::end(abSeen), true), 256);
  EXPECT_EQ(Close_Com(1), TOBREL_OK);
}

TEST(TobrelSimulator, PacedStreamWithoutLinesAndCleanEnd) {
  CTempDir dir;
  constexpr size_t kCount = 30000;
  CSimulator sim(dir, {"--stream", "300000", "--count", std::to_string(kCount), "--kind", "nolines", "--seed", "42"});
  ASSERT_TRUE(sim.WaitReady());
  MapPortTo(2, sim.Link());
  ASSERT_EQ(Open_Com(2, 4000000, 8, 0, 0), TOBREL_OK);
  ASSERT_EQ(Send_Cmd(2, "STREAM", 0, 0), TOBREL_OK);

  std::vector<uint8_t> vecExpected(kCount);
  CStreamPattern(EStreamKind::NoLines, 42).Fill(vecExpected.data(), kCount);
  std::vector<uint8_t> vecReceived(kCount);
  uint32_t nElapsed = 0;
  ASSERT_EQ(Receive_Binary(2, vecReceived.data(), 10000, kCount, &nElapsed), TOBREL_OK);
  EXPECT_TRUE(vecReceived == vecExpected);
  // Back to answering commands.
  EXPECT_EQ(Ask(2, "@01FF"), ">");
  EXPECT_EQ(Close_Com(2), TOBREL_OK);

  struct stat st {};
  ASSERT_EQ(lstat(sim.Link().c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_NE(lstat(sim.Link().c_str(), &st), 0);
  EXPECT_NE(lstat(sim.Backplane().c_str(), &st), 0);
  EXPECT_NE(lstat(sim.Ready().c_str(), &st), 0);
}

TEST(TobrelSimulator, ACommandLineItDoesNotUnderstandIsToldAsSuch) {
  const auto run = [](const std::string& strArguments) {
    std::string strOut;
    FILE* pPipe = popen((std::string(QUORVEL_SIM_PATH) + " " + strArguments + " 2>&1").c_str(), "r");
    if (pPipe == nullptr) return std::make_pair(-1, strOut);
    char szBuffer[512];
    size_t nRead = 0;
    while ((nRead = fread(szBuffer, 1, sizeof szBuffer, pPipe)) > 0) strOut.append(szBuffer, nRead);
    const int nWait = pclose(pPipe);
    return std::make_pair(WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1, strOut);
  };
  CTempDir dir;
  const std::string strLink = dir.File("com");
  const auto [nUnknown, strUnknown] = run("--link " + strLink + " --bogus");
  EXPECT_EQ(nUnknown, 2);
  EXPECT_TRUE(strUnknown.starts_with("quorvel-sim: unknown option --bogus; usage: quorvel-sim --link PATH"))
      << strUnknown;
  const auto [nMissing, strMissing] = run("--link");
  EXPECT_EQ(nMissing, 2);
  EXPECT_EQ(strMissing, "quorvel-sim: missing value for --link\n");
  const auto [nSlot, strSlot] = run("--link " + strLink + " --slot 9");
  EXPECT_EQ(nSlot, 2);
  EXPECT_EQ(strSlot, "quorvel-sim: --slot must be 1 to 8\n");
  EXPECT_FALSE(std::filesystem::exists(strLink));
}
