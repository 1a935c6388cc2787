#include "StoreFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace win {

namespace {

// Reserving in large steps keeps fallocate calls rare.
constexpr uint64_t kReserveStep = uint64_t{64} << 20;

std::u16string g_strNews;

void TellNoRoom(const std::string& strDir) {
  g_strNews = u"the receive record keeps growing in memory: no room left in ";
  for (char c : strDir) g_strNews += static_cast<char16_t>(static_cast<unsigned char>(c));
}

int OpenIn(const std::string& strDir) { return open(strDir.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600); }

}  // namespace

std::unique_ptr<CStoreFile> CStoreFile::Open() {
  std::string strDir;
  if (const char* pszCache = std::getenv("XDG_CACHE_HOME"); pszCache && *pszCache == '/') {
    strDir = std::string(pszCache) + "/quorvel";
    mkdir(pszCache, 0700);
    mkdir(strDir.c_str(), 0700);
    if (int fd = OpenIn(strDir); fd >= 0) return std::unique_ptr<CStoreFile>(new CStoreFile(fd, strDir));
  }
  strDir = "/var/tmp";
  if (int fd = OpenIn(strDir); fd >= 0) return std::unique_ptr<CStoreFile>(new CStoreFile(fd, strDir));
  TellNoRoom(strDir);
  return nullptr;
}

CStoreFile::~CStoreFile() { close(m_fd); }

bool CStoreFile::Write(const void* p, size_t n, uint64_t* pOffset) {
  if (m_nWritten + n > m_nReserved) {
    uint64_t nReserve = std::max<uint64_t>(kReserveStep, m_nWritten + n - m_nReserved);
    if (fallocate(m_fd, 0, static_cast<off_t>(m_nReserved), static_cast<off_t>(nReserve)) != 0) {
      TellNoRoom(m_strDir);
      return false;
    }
    m_nReserved += nReserve;
  }
  const auto* pBytes = static_cast<const uint8_t*>(p);
  for (size_t nDone = 0; nDone < n;) {
    ssize_t nWrote = pwrite(m_fd, pBytes + nDone, n - nDone, static_cast<off_t>(m_nWritten + nDone));
    if (nWrote < 0 && errno == EINTR) continue;
    if (nWrote <= 0) {
      TellNoRoom(m_strDir);
      return false;
    }
    nDone += static_cast<size_t>(nWrote);
  }
  *pOffset = m_nWritten;
  m_nWritten += n;
  return true;
}

const uint8_t* CStoreFile::Map(uint64_t nOffset, size_t n) const {
  void* p = mmap(nullptr, n, PROT_READ, MAP_SHARED, m_fd, static_cast<off_t>(nOffset));
  return p == MAP_FAILED ? nullptr : static_cast<const uint8_t*>(p);
}

void CStoreFile::Unmap(const uint8_t* p, size_t n) { munmap(const_cast<uint8_t*>(p), n); }

std::u16string TakeStoreNews() { return std::exchange(g_strNews, {}); }

}  // namespace win
