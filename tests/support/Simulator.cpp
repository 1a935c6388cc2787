#include "Simulator.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

extern char** environ;

CSimulator::CSimulator(const std::string& strProgram) {
  char szTemplate[] = "/tmp/quorvel-sim-XXXXXX";
  if (const char* pszDir = mkdtemp(szTemplate)) m_strDir = pszDir;
  std::vector<std::string> args{strProgram,     "--link",           Link(), "--backplane", Backplane(),
                                "--ready-file", m_strDir + "/ready"};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (m_strDir.empty() || posix_spawn(&m_nPid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_nPid = -1;
  posix_spawn_file_actions_destroy(&actions);
}

CSimulator::~CSimulator() {
  if (m_nPid > 0) {
    kill(m_nPid, SIGTERM);
    waitpid(m_nPid, nullptr, 0);
  }
  if (!m_strDir.empty()) std::filesystem::remove_all(m_strDir);
}

bool CSimulator::WaitReady() const {
  if (m_nPid <= 0) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (access((m_strDir + "/ready").c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}
