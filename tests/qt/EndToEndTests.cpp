// The desktop view on the real serial library and SDK, against the simulated
// controller on a pseudo-terminal.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QComboBox>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "RecordWindow.h"
#include "ViewFixture.h"
#include "resource.h"

extern char** environ;

namespace {

// quorvel-sim in a directory of its own, for one test.
class CSimulator {
 public:
  CSimulator() {
    char szTemplate[] = "/tmp/quorvel-view-XXXXXX";
    if (const char* pszDir = mkdtemp(szTemplate)) m_strDir = pszDir;
    std::vector<std::string> args{QUORVEL_SIM_PATH, "--link",           Link(), "--backplane", Backplane(),
                                  "--ready-file",   m_strDir + "/ready"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (m_strDir.empty() || posix_spawn(&m_nPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_nPid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~CSimulator() {
    if (m_nPid > 0) {
      kill(m_nPid, SIGTERM);
      waitpid(m_nPid, nullptr, 0);
    }
    if (!m_strDir.empty()) std::filesystem::remove_all(m_strDir);
  }
  CSimulator(const CSimulator&) = delete;
  CSimulator& operator=(const CSimulator&) = delete;

  bool WaitReady() const {
    return m_nPid > 0 && QTest::qWaitFor([&] { return access((m_strDir + "/ready").c_str(), F_OK) == 0; }, 10000);
  }
  std::string Link() const { return m_strDir + "/com1"; }
  std::string Backplane() const { return m_strDir + "/backplane"; }

 private:
  std::string m_strDir;
  pid_t m_nPid = -1;
};

class CViewEndToEndTest : public CViewTest {
 protected:
  qtview::CRecordWindow* Record() const { return Widget<qtview::CRecordWindow>(IDC_EDIT_RECEIVE_RECORD); }
  bool RecordShows(const QString& text) const {
    return QTest::qWaitFor([&] { return Record()->VisibleRows().join(QString()).contains(text); }, 5000);
  }
};

TEST_F(CViewEndToEndTest, TheModuleAnswersInTheReceiveRecordAndASlotPickChangesTheAnswer) {
  CSimulator sim;
  ASSERT_TRUE(sim.WaitReady());
  setenv("QUORVEL_COM1", sim.Link().c_str(), 1);
  setenv("QUORVEL_BACKPLANE", sim.Backplane().c_str(), 1);
  UseRealTime();
  RunApp([&] {
    ClickButton(IDC_BUTTON_OPEN);
    ClickButton(IDC_BUTTON_SEND);
    EXPECT_TRUE(RecordShows(QStringLiteral("!00KESTRA-7017")));
    EXPECT_EQ(Widget<qtview::CRecordWindow>(IDC_EDIT_SEND_RECORD)->VisibleRows(), QStringList{QStringLiteral("$00M")});

    PickItem(IDC_COMBO_SLOT, 0);
    ClickButton(IDC_BUTTON_SEND);
    EXPECT_TRUE(RecordShows(QStringLiteral("!00KESTRA-7065")));
  });
  unsetenv("QUORVEL_COM1");
  unsetenv("QUORVEL_BACKPLANE");
}

}  // namespace
