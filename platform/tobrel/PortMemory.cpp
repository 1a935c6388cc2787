#include "PortMemory.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  std::error_code error;
  if (!fs::exists(m_strPath, error)) return;
  std::ifstream file(m_strPath);
  std::string strLine;
  size_t nLine = 0;
  bool bDamaged = !file || fs::is_directory(m_strPath, error);
  while (!bDamaged && std::getline(file, strLine)) {
    ++nLine;
    if (strLine.empty() || strLine[0] == '#') continue;
    SEntry entry{};
    bDamaged = !ParseLine(strLine, entry.nPort, entry.strIdentity);
    if (!bDamaged) m_vecEntries.push_back(std::move(entry));
  }
  if (file.bad()) bDamaged = true;
  if (!bDamaged) return;
  m_vecEntries.clear();
  m_bChanged = true;
  Complain(g_bSaidDamaged, m_strPath +
                               (nLine == 0 ? " cannot be read" : " is damaged at line " + std::to_string(nLine)) +
                               "; the COM numbers of USB adapters start afresh.");
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
  const std::string strTemporary = m_strPath + ".new." + std::to_string(getpid());
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  if (!error) {
    std::ofstream file(strTemporary, std::ios::trunc);
    file << kHeader << '\n';
    for (const SEntry& entry : m_vecEntries) file << PortName(entry.nPort) << ' ' << entry.strIdentity << '\n';
    file.close();
    if (!file) error = std::make_error_code(std::errc::io_error);
  }
  if (!error) fs::rename(strTemporary, path, error);
  if (error) {
    std::error_code ignored;
    fs::remove(strTemporary, ignored);
    Complain(g_bSaidUnwritable,
             "cannot keep the COM numbers of USB adapters in " + m_strPath + ": " + error.message() + ".");
    return;
  }
  m_bChanged = false;
}

}  // namespace tobrel
