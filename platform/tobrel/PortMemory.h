// The COM numbers given to serial devices, remembered across runs by each device's stable
// identity in $XDG_STATE_HOME/quorvel/ports (~/.local/state/quorvel/ports by default).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tobrel {

class CPortMemory {
 public:
  static constexpr size_t kMaxIdentities = 64;

  // Reads the file; a damaged or unreadable one, or anything but a regular file, is started
  // afresh, said once on stderr and once in the status line of the first open.
  CPortMemory();

  // The number remembered for strIdentity, or 0. Several identities may remember one number.
  uint8_t NumberOf(const std::string& strIdentity) const;
  // Larger for an identity seen more recently; -1 for one not remembered.
  long SeenOrder(const std::string& strIdentity) const;
  // Of the free numbers in vecPorts (ascending), the one to give a new device: the lowest
  // that no identity remembers, else the one whose latest holder was seen longest ago; 0 when
  // empty.
  uint8_t BestFree(const std::vector<uint8_t>& vecPorts) const;
  // strIdentity holds nPort from now on, as the most recently seen; the oldest identities
  // beyond kMaxIdentities are forgotten.
  void Remember(uint8_t nPort, const std::string& strIdentity);
  // Writes the file when anything changed (a temporary file renamed over it), the folder
  // mode 0700 and the file 0600.
  void Save();

 private:
  struct SEntry {
    uint8_t nPort;
    std::string strIdentity;
  };
  std::string m_strPath;
  std::vector<SEntry> m_vecEntries;  // oldest first
  bool m_bChanged = false;
};

// What the status line of the first open adds when the file was damaged, once; else empty.
std::string TakeStateNote();

}  // namespace tobrel
