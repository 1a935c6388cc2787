#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "Tobrel.h"

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return remaining > 0 ? static_cast<int>(remaining) : 0;
}

}  // namespace

CTempDir::CTempDir() {
  char szTemplate[] = "/tmp/tobrel-test-XXXXXX";
  if (mkdtemp(szTemplate) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_strPath = szTemplate;
}

CTempDir::~CTempDir() {
  std::error_code error;
  std::filesystem::remove_all(m_strPath, error);
}

CPseudoTerminal::CPseudoTerminal() {
  m_nMasterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  char szName[256];
  if (m_nMasterFd < 0 || grantpt(m_nMasterFd) != 0 || unlockpt(m_nMasterFd) != 0 ||
      ptsname_r(m_nMasterFd, szName, sizeof szName) != 0)
    throw std::runtime_error("no pseudo-terminal");
  m_strSlave = szName;
}

CPseudoTerminal::~CPseudoTerminal() { CloseMaster(); }

void CPseudoTerminal::MapPort(uint8_t nPort, const std::string& strLink) const {
  std::error_code error;
  std::filesystem::remove(strLink, error);
  std::filesystem::create_symlink(m_strSlave, strLink);
  MapPortTo(nPort, strLink);
}

void CPseudoTerminal::CloseMaster() {
  if (m_nMasterFd >= 0) {
    close(m_nMasterFd);
    m_nMasterFd = -1;
  }
}

bool CPseudoTerminal::Write(const void* pData, size_t nCount, int nTimeoutMs) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  const auto* pBytes = static_cast<const uint8_t*>(pData);
  size_t nDone = 0;
  while (nDone < nCount) {
    const ssize_t nWritten = write(m_nMasterFd, pBytes + nDone, nCount - nDone);
    if (nWritten > 0) {
      nDone += static_cast<size_t>(nWritten);
      continue;
    }
    pollfd pfd{m_nMasterFd, POLLOUT, 0};
    if (RemainingMs(deadline) == 0 || poll(&pfd, 1, RemainingMs(deadline)) < 0) return false;
  }
  return true;
}

std::vector<uint8_t> CPseudoTerminal::Read(size_t nCount, int nTimeoutMs) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  std::vector<uint8_t> vecData(nCount);
  size_t nDone = 0;
  while (nDone < nCount) {
    const ssize_t nRead = read(m_nMasterFd, vecData.data() + nDone, nCount - nDone);
    if (nRead > 0) {
      nDone += static_cast<size_t>(nRead);
      continue;
    }
    pollfd pfd{m_nMasterFd, POLLIN, 0};
    if (RemainingMs(deadline) == 0 || poll(&pfd, 1, RemainingMs(deadline)) < 0) break;
  }
  vecData.resize(nDone);
  return vecData;
}

void MapPortTo(uint8_t nPort, const std::string& strDevice) {
  setenv(("QUORVEL_COM" + std::to_string(nPort)).c_str(), strDevice.c_str(), 1);
}

std::string MessageOf(uint32_t nResult) {
  std::string strText;
  for (const char16_t* p = GetSerialErrorMessage(nResult); *p != 0; ++p)
    strText += *p < 0x80 ? static_cast<char>(*p) : '?';
  return strText;
}
