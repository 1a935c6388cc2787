// The private file a large text moves its older units to: created unlinked
// (O_TMPFILE, mode 0600) under $XDG_CACHE_HOME/quorvel, or else /var/tmp,
// so no other user can open it and it goes when it is closed. Space is
// reserved ahead in large steps, so a full disk shows as one failed reserve
// and never as a SIGBUS on a mapped page: only written bytes are mapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace win {

class CStoreFile {
 public:
  // The open file, or null after the news of why there is none.
  static std::unique_ptr<CStoreFile> Open();
  ~CStoreFile();
  CStoreFile(const CStoreFile&) = delete;
  CStoreFile& operator=(const CStoreFile&) = delete;

  // Appends n bytes and gives where they start; false (with the news) when
  // the file has no room for them.
  bool Write(const void* p, size_t n, uint64_t* pOffset);
  // Maps written bytes [nOffset, nOffset + n) for reading.
  const uint8_t* Map(uint64_t nOffset, size_t n) const;
  static void Unmap(const uint8_t* p, size_t n);

  uint64_t Written() const { return m_nWritten; }
  int Descriptor() const { return m_fd; }

 private:
  CStoreFile(int fd, std::string strDir) : m_fd(fd), m_strDir(std::move(strDir)) {}

  int m_fd;
  std::string m_strDir;
  uint64_t m_nWritten = 0;
  uint64_t m_nReserved = 0;
};

// The one-time news that a text keeps growing in memory, then empty until
// a store fails again.
std::u16string TakeStoreNews();

}  // namespace win
