#include "Ser2netServer.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

uint16_t FreeTcpPort() {
  const int nFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t nSize = sizeof address;
  uint16_t nPort = 0;
  if (bind(nFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(nFd, reinterpret_cast<sockaddr*>(&address), &nSize) == 0)
    nPort = ntohs(address.sin_port);
  close(nFd);
  return nPort;
}

CSer2net::CSer2net(const std::string& strDevice, EAccepter accepter)
    : m_strDevice(strDevice), m_accepter(accepter), m_nPort(FreeTcpPort()) {
  char szDir[] = "/tmp/quorvel-ser2net-XXXXXX";
  if (mkdtemp(szDir) != nullptr) m_strDir = szDir;
}

CSer2net::~CSer2net() {
  Stop();
  std::error_code error;
  if (!m_strDir.empty()) std::filesystem::remove_all(m_strDir, error);
}

std::string CSer2net::Url() const {
  return std::string(m_accepter == EAccepter::Rfc2217 ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(m_nPort);
}

// /proc/net/tcp lists the socket bound to 127.0.0.1 (0100007F) at the port in state LISTEN (0A).
bool CSer2net::Listening() const {
  char szLocal[32];
  std::snprintf(szLocal, sizeof szLocal, "0100007F:%04X", m_nPort);
  std::ifstream file("/proc/net/tcp");
  std::string strLine;
  while (std::getline(file, strLine)) {
    std::istringstream fields(strLine);
    std::string strSlot, strAddress, strRemote, strState;
    fields >> strSlot >> strAddress >> strRemote >> strState;
    if (strAddress == szLocal && strState == "0A") return true;
  }
  return false;
}

bool CSer2net::Start() {
  const std::string strConfig = m_strDir + "/ser2net.yaml";
  const std::string strAccepter = m_accepter == EAccepter::Rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
  std::ofstream(strConfig) << "connection: &shared\n"
                           << "  accepter: " << strAccepter << ",127.0.0.1," << m_nPort << "\n"
                           << "  connector: serialdev," << m_strDevice << ",9600n81,local\n"
                           << "  options:\n    mdns: false\n";
  const std::string strLog = m_strDir + "/ser2net.log";
  const std::string strPidFile = m_strDir + "/ser2net.pid";
  m_nPid = fork();
  if (m_nPid == 0) {
    const int nLog = open(strLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(nLog, STDOUT_FILENO);
    dup2(nLog, STDERR_FILENO);
    execlp("ser2net", "ser2net", "-n", "-u", "-c", strConfig.c_str(), "-P", strPidFile.c_str(), nullptr);
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Listening()) {
    int nStatus = 0;
    if (m_nPid < 0 || waitpid(m_nPid, &nStatus, WNOHANG) == m_nPid || std::chrono::steady_clock::now() > deadline) {
      m_nPid = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void CSer2net::Stop() {
  if (m_nPid <= 0) return;
  kill(m_nPid, SIGTERM);
  waitpid(m_nPid, nullptr, 0);
  m_nPid = -1;
}
