#include "PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

#include "BenchPattern.h"
#include "Clock.h"
#include "Die.h"
#include "PtyMaster.h"

namespace bench {

namespace {

void WriteAll(int nFd, const void* pData, size_t nCount) {
  const auto* p = static_cast<const uint8_t*>(pData);
  while (nCount > 0) {
    ssize_t n = write(nFd, p, nCount);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Die("write");
    p += n;
    nCount -= static_cast<size_t>(n);
  }
}

void ReadAll(int nFd, void* pData, size_t nCount) {
  auto* p = static_cast<uint8_t*>(pData);
  while (nCount > 0) {
    ssize_t n = read(nFd, p, nCount);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Die("read");
    p += n;
    nCount -= static_cast<size_t>(n);
  }
}

}  // namespace

struct CPtyPeer::SShared {
  std::atomic<uint64_t> nWritten{0};
  std::atomic<uint64_t> nChunks{0};
  std::atomic<int64_t> nStartNs{0};
  std::atomic<int64_t> nEndNs{0};
  std::atomic<bool> bDone{true};
  std::atomic<uint64_t> nCounted{0};
  std::atomic<uint64_t> nMismatched{0};
  SChunk* Chunks() { return reinterpret_cast<SChunk*>(this + 1); }
};

struct CPtyPeer::SCommand {
  enum EOp : int { Quit, Stream, Count, StopCount } nOp = Quit;
  EStreamKind kind = EStreamKind::Lines;
  uint64_t nCount = 0;
  uint64_t nRate = 0;
  uint64_t nSeed = 0;
  int nQuietMs = 0;
  uint32_t nBlock = 0;
  char aBlock[256] = {};
};

CPtyPeer::CPtyPeer(size_t nMaxChunks) : m_nMaxChunks(nMaxChunks) {
  const std::optional<SPtyMaster> pty = OpenPtyMaster();
  if (!pty) Die("posix_openpt");
  const int nMaster = pty->nFd;
  m_strSlave = pty->strSlave;

  m_nSharedSize = sizeof(SShared) + nMaxChunks * sizeof(SChunk);
  void* p = mmap(nullptr, m_nSharedSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) Die("mmap");
  m_pShared = new (p) SShared;

  int aCommand[2], aReply[2];
  if (pipe2(aCommand, O_CLOEXEC) != 0 || pipe2(aReply, O_CLOEXEC) != 0) Die("pipe");
  std::fflush(nullptr);
  m_nPid = fork();
  if (m_nPid < 0) Die("fork");
  if (m_nPid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(aCommand[1]);
    close(aReply[0]);
    m_nCommandFd = aCommand[0];
    m_nReplyFd = aReply[1];
    Serve(nMaster);
  }
  close(nMaster);
  close(aCommand[0]);
  close(aReply[1]);
  m_nCommandFd = aCommand[1];
  m_nReplyFd = aReply[0];
}

CPtyPeer::~CPtyPeer() {
  Send(SCommand{});
  waitpid(m_nPid, nullptr, 0);
  close(m_nCommandFd);
  close(m_nReplyFd);
  munmap(m_pShared, m_nSharedSize);
}

void CPtyPeer::Send(const SCommand& command) const { WriteAll(m_nCommandFd, &command, sizeof command); }

void CPtyPeer::WaitReply() const {
  char c = 0;
  ReadAll(m_nReplyFd, &c, 1);
}

void CPtyPeer::StartStream(EStreamKind kind, uint64_t nCount, uint64_t nRate, uint64_t nSeed) {
  m_pShared->bDone = false;
  SCommand command;
  command.nOp = SCommand::Stream;
  command.kind = kind;
  command.nCount = nCount;
  command.nRate = nRate;
  command.nSeed = nSeed;
  Send(command);
  // The peer generates the stream before it starts the clock.
  WaitReply();
}

bool CPtyPeer::StreamDone() const { return m_pShared->bDone; }
uint64_t CPtyPeer::Written() const { return m_pShared->nWritten; }
int64_t CPtyPeer::StreamStartNs() const { return m_pShared->nStartNs; }
int64_t CPtyPeer::StreamEndNs() const { return m_pShared->nEndNs; }

std::vector<SChunk> CPtyPeer::Chunks() const {
  const SChunk* p = m_pShared->Chunks();
  return std::vector<SChunk>(p, p + m_pShared->nChunks.load());
}

void CPtyPeer::StartCount(std::string_view block) {
  SCommand command;
  command.nOp = SCommand::Count;
  command.nBlock = static_cast<uint32_t>(std::min(block.size(), sizeof command.aBlock));
  std::memcpy(command.aBlock, block.data(), command.nBlock);
  Send(command);
  WaitReply();
}

CPtyPeer::SCount CPtyPeer::StopCount(int nQuietMs) {
  SCommand command;
  command.nOp = SCommand::StopCount;
  command.nQuietMs = nQuietMs;
  Send(command);
  WaitReply();
  return {m_pShared->nCounted, m_pShared->nMismatched};
}

void CPtyPeer::Serve(int nMasterFd) {
  for (;;) {
    SCommand command;
    ReadAll(m_nCommandFd, &command, sizeof command);
    if (command.nOp == SCommand::Stream)
      Stream(nMasterFd, command);
    else if (command.nOp == SCommand::Count)
      Count(nMasterFd, command);
    else if (command.nOp == SCommand::Quit)
      _exit(0);
  }
}

void CPtyPeer::Stream(int nMasterFd, const SCommand& command) {
  // Pieces of a paced stream, so that bytes arrive about as evenly as on a line.
  constexpr int64_t kPacedStepNs = 2000000;
  constexpr size_t kUnpacedPiece = 64 * 1024;
  // Made a piece at a time, so a stream of any length costs one piece of memory.
  CBenchPattern pattern(command.kind, command.nSeed);
  std::vector<uint8_t> vecPiece;
  vecPiece.reserve(kUnpacedPiece);
  SShared& shared = *m_pShared;
  shared.nWritten = 0;
  shared.nChunks = 0;
  WriteAll(m_nReplyFd, "s", 1);

  const int64_t nStart = NowNs();
  shared.nStartNs = nStart;
  uint64_t nWritten = 0;
  for (int64_t nStep = 1; nWritten < command.nCount; ++nStep) {
    uint64_t nTarget = command.nCount;
    if (command.nRate != 0) {
      SleepUntilNs(nStart + nStep * kPacedStepNs);
      auto nElapsed = static_cast<unsigned __int128>(NowNs() - nStart);
      nTarget = std::min<uint64_t>(command.nCount, static_cast<uint64_t>(nElapsed * command.nRate / 1000000000));
    }
    nTarget = std::min<uint64_t>(nTarget, nWritten + kUnpacedPiece);
    if (nTarget == nWritten) continue;
    vecPiece.resize(nTarget - nWritten);
    for (uint8_t& byValue : vecPiece) byValue = pattern.Next();
    WriteAll(nMasterFd, vecPiece.data(), vecPiece.size());
    nWritten = nTarget;
    uint64_t nChunk = shared.nChunks;
    if (nChunk < m_nMaxChunks) {
      shared.Chunks()[nChunk] = {nWritten, NowNs()};
      shared.nChunks = nChunk + 1;
    }
    shared.nWritten = nWritten;
  }
  shared.nEndNs = NowNs();
  shared.bDone = true;
}

void CPtyPeer::Count(int nMasterFd, const SCommand& command) {
  SShared& shared = *m_pShared;
  shared.nCounted = 0;
  shared.nMismatched = 0;
  WriteAll(m_nReplyFd, "c", 1);

  std::vector<uint8_t> vecBuffer(64 * 1024);
  uint64_t nCounted = 0, nMismatched = 0;
  int nQuietMs = -1;  // wait for the stop command
  pollfd afd[2] = {{nMasterFd, POLLIN, 0}, {m_nCommandFd, POLLIN, 0}};
  for (;;) {
    int nReady = poll(afd, nQuietMs < 0 ? 2 : 1, nQuietMs);
    if (nReady < 0 && errno == EINTR) continue;
    if (nReady == 0) break;
    if (nQuietMs < 0 && afd[1].revents != 0) {
      SCommand stop;
      ReadAll(m_nCommandFd, &stop, sizeof stop);
      nQuietMs = stop.nQuietMs;
      continue;
    }
    if (afd[0].revents == 0) continue;
    ssize_t n = read(nMasterFd, vecBuffer.data(), vecBuffer.size());
    if (n <= 0) {
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      break;
    }
    for (ssize_t i = 0; i < n; ++i, ++nCounted)
      if (command.nBlock == 0 || vecBuffer[i] != static_cast<uint8_t>(command.aBlock[nCounted % command.nBlock]))
        ++nMismatched;
    shared.nCounted = nCounted;
  }
  shared.nCounted = nCounted;
  shared.nMismatched = nMismatched;
  WriteAll(m_nReplyFd, "d", 1);
}

}  // namespace bench
