// The device side of a pseudo-terminal, played by a separate process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "StreamPattern.h"

namespace bench {

// The moment the last byte of a write reached the pseudo-terminal, and the
// stream's length after it.
struct SChunk {
  uint64_t nEnd;
  int64_t nTimeNs;
};

// The device: a separate process on the master side of a pseudo-terminal, so
// its work is not counted as the terminal's. Construct it before any thread
// starts.
class CPtyPeer {
 public:
  explicit CPtyPeer(size_t nMaxChunks);
  ~CPtyPeer();
  CPtyPeer(const CPtyPeer&) = delete;
  CPtyPeer& operator=(const CPtyPeer&) = delete;

  const std::string& Slave() const { return m_strSlave; }

  // Sends nCount bytes of the pattern at nRate bytes a second, or as fast as
  // the pseudo-terminal takes them when nRate is 0. Returns at once.
  void StartStream(EStreamKind kind, uint64_t nCount, uint64_t nRate, uint64_t nSeed = CStreamPattern::kDefaultSeed);
  bool StreamDone() const;
  uint64_t Written() const;
  int64_t StreamStartNs() const;
  int64_t StreamEndNs() const;
  std::vector<SChunk> Chunks() const;

  // Counts what the terminal sends, checking it against repeats of block.
  void StartCount(std::string_view block);
  struct SCount {
    uint64_t nBytes;
    uint64_t nMismatched;
  };
  // Ends the count once nothing more has arrived for nQuietMs.
  SCount StopCount(int nQuietMs);

 private:
  struct SShared;
  struct SCommand;
  void Send(const SCommand& command) const;
  void WaitReply() const;
  [[noreturn]] void Serve(int nMasterFd);
  void Stream(int nMasterFd, const SCommand& command);
  void Count(int nMasterFd, const SCommand& command);

  std::string m_strSlave;
  SShared* m_pShared = nullptr;
  size_t m_nSharedSize = 0;
  size_t m_nMaxChunks = 0;
  int m_nCommandFd = -1;
  int m_nReplyFd = -1;
  int m_nPid = -1;
};

}  // namespace bench
