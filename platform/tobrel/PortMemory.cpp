#include "PortMemory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <utility>

#include "PortNumber.h"
#include "SystemText.h"

namespace tobrel {

namespace fs = std::filesystem;

namespace {

constexpr char kHeader[] = "# quorvel: the COM number of each serial device, least recently seen first";

std::string StateFile() {
  const char* pszState = std::getenv("XDG_STATE_HOME");
  if (pszState != nullptr && *pszState == '/') return std::string(pszState) + "/quorvel/ports";
  const char* pszHome = std::getenv("HOME");
  return std::string(pszHome != nullptr ? pszHome : "") + "/.local/state/quorvel/ports";
}

// Each complaint about the file is made once per run.
void Complain(bool& bSaid, const std::string& strText) {
  if (bSaid) return;
  bSaid = true;
  std::fprintf(stderr, "quorvel: %s\n", ShowControls(strText).c_str());
}

bool g_bSaidDamaged = false;
bool g_bSaidUnwritable = false;

// A damaged file, for the status line of the first open; told there once.
std::mutex g_mtxStatusNote;
std::string g_strStatusNote;
bool g_bToldStatus = false;

// "COM3 by-id/usb-FTDI_..." into its number and identity.
bool ParseLine(const std::string& strLine, uint8_t& nPort, std::string& strIdentity) {
  std::istringstream fields(strLine);
  std::string strName;
  std::string strRest;
  if (!(fields >> strName >> strIdentity) || fields >> strRest) return false;
  for (uint8_t n = kFirstPort; n <= kLastPort; ++n) {
    if (strName == PortName(n)) {
      nPort = n;
      return true;
    }
  }
  return false;
}

}  // namespace

CPortMemory::CPortMemory() : m_strPath(StateFile()) {
  // Without waiting: a FIFO put there would hold every open.
  const int nFd = open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st {};
  // Nothing there, or out of sight (a folder this user may not enter): nothing to start from.
  if (nFd < 0 && (errno == ENOENT || stat(m_strPath.c_str(), &st) != 0)) return;
  const bool bRegular = nFd >= 0 && fstat(nFd, &st) == 0 && S_ISREG(st.st_mode);
  std::string strText;
  bool bRead = bRegular;
  char szBuffer[4096];
  for (ssize_t nDone; bRead && (nDone = read(nFd, szBuffer, sizeof szBuffer)) != 0;) {
    if (nDone > 0)
      strText.append(szBuffer, static_cast<size_t>(nDone));
    else
      bRead = errno == EINTR;
  }
  if (nFd >= 0) close(nFd);
  std::istringstream file(strText);
  std::string strLine;
  size_t nLine = 0;
  bool bDamaged = !bRead;
  while (!bDamaged && std::getline(file, strLine)) {
    ++nLine;
    if (strLine.empty() || strLine[0] == '#') continue;
    SEntry entry{};
    bDamaged = !ParseLine(strLine, entry.nPort, entry.strIdentity);
    if (!bDamaged) m_vecEntries.push_back(std::move(entry));
  }
  if (!bDamaged) return;
  m_vecEntries.clear();
  m_bChanged = true;
  const std::string strWhy = nFd >= 0 && !bRegular ? " is not a regular file"
                             : nLine == 0          ? " cannot be read"
                                                   : " is damaged at line " + std::to_string(nLine);
  Complain(g_bSaidDamaged, m_strPath + strWhy + "; the COM numbers of USB adapters start afresh.");
  std::lock_guard lock(g_mtxStatusNote);
  if (!g_bToldStatus) g_strStatusNote = m_strPath + strWhy + "; the COM numbers of USB adapters start afresh.";
  g_bToldStatus = true;
}

long CPortMemory::SeenOrder(const std::string& strIdentity) const {
  for (size_t i = 0; i < m_vecEntries.size(); ++i) {
    if (m_vecEntries[i].strIdentity == strIdentity) return static_cast<long>(i);
  }
  return -1;
}

uint8_t CPortMemory::NumberOf(const std::string& strIdentity) const {
  for (const SEntry& entry : m_vecEntries) {
    if (entry.strIdentity == strIdentity) return entry.nPort;
  }
  return 0;
}

uint8_t CPortMemory::BestFree(const std::vector<uint8_t>& vecPorts) const {
  uint8_t nBest = 0;
  long nBestAge = 0;
  for (uint8_t nPort : vecPorts) {
    auto it = std::find_if(m_vecEntries.rbegin(), m_vecEntries.rend(),
                           [&](const SEntry& entry) { return entry.nPort == nPort; });
    // A number nobody holds comes first, then the one whose latest holder was seen longest ago.
    const long nAge = it == m_vecEntries.rend() ? -1 : static_cast<long>(m_vecEntries.rend() - it);
    if (nBest == 0 || nAge < nBestAge) {
      nBest = nPort;
      nBestAge = nAge;
    }
  }
  return nBest;
}

void CPortMemory::Remember(uint8_t nPort, const std::string& strIdentity) {
  if (!m_vecEntries.empty() && m_vecEntries.back().nPort == nPort && m_vecEntries.back().strIdentity == strIdentity)
    return;
  std::erase_if(m_vecEntries, [&](const SEntry& entry) { return entry.strIdentity == strIdentity; });
  m_vecEntries.push_back({nPort, strIdentity});
  if (m_vecEntries.size() > kMaxIdentities)
    m_vecEntries.erase(m_vecEntries.begin(), m_vecEntries.end() - kMaxIdentities);
  m_bChanged = true;
}

void CPortMemory::Save() {
  if (!m_bChanged) return;
  const fs::path path(m_strPath);
  std::string strError;
  // The folder and the file are the user's alone whatever the umask: another user who could
  // write them would choose which device stands behind a COM number.
  fs::path folder;
  for (const fs::path& part : path.parent_path()) {
    folder /= part;
    if (mkdir(folder.c_str(), 0700) == 0)
      chmod(folder.c_str(), 0700);
    else if (errno != EEXIST)
      strError = SystemError(errno);
  }
  // A name nobody can foresee, created afresh with mode 0600: a link planted at a foreseen
  // one would be followed.
  std::string strTemporary = m_strPath + ".XXXXXX";
  const int nFd = strError.empty() ? mkostemp(strTemporary.data(), O_CLOEXEC) : -1;
  if (nFd < 0 && strError.empty()) strError = SystemError(errno);
  if (nFd >= 0) {
    std::string strText = std::string(kHeader) + '\n';
    for (const SEntry& entry : m_vecEntries) strText += PortName(entry.nPort) + ' ' + entry.strIdentity + '\n';
    size_t nWritten = 0;
    while (nWritten < strText.size()) {
      const ssize_t nDone = write(nFd, strText.data() + nWritten, strText.size() - nWritten);
      if (nDone < 0 && errno == EINTR) continue;
      if (nDone <= 0) break;
      nWritten += static_cast<size_t>(nDone);
    }
    if (nWritten != strText.size()) strError = SystemError(errno);
    if (close(nFd) != 0 && strError.empty()) strError = SystemError(errno);
    if (strError.empty() && rename(strTemporary.c_str(), m_strPath.c_str()) != 0) strError = SystemError(errno);
    if (!strError.empty()) unlink(strTemporary.c_str());
  }
  if (!strError.empty()) {
    Complain(g_bSaidUnwritable, "cannot keep the COM numbers of USB adapters in " + m_strPath + ": " + strError + ".");
    return;
  }
  m_bChanged = false;
}

std::string TakeStateNote() {
  std::lock_guard lock(g_mtxStatusNote);
  return std::exchange(g_strStatusNote, {});
}

}  // namespace tobrel
