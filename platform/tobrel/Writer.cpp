#include "Writer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#include "Telnet.h"

namespace tobrel {

namespace {

// How often the driver's output count is read while bytes wait in it.
constexpr int kProgressCheckMs = 100;
// Bytes escaped at a time.
constexpr size_t kEscapeChunk = 64 * 1024;
// Bytes wait this long, plus two characters' line time, before the device counts as stalled.
constexpr std::chrono::milliseconds kStallAfter{1000};

}  // namespace

CWriter::CWriter() : m_queue(kQueueCapacity) {}

CWriter::~CWriter() { Finish(std::chrono::milliseconds(0)); }

int CWriter::Start(int nFd, bool bEscapeIac) {
  m_bEscapeIac = bEscapeIac;
  m_nWakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_nWakeFd < 0) return errno;
  m_nFd = nFd;
  try {
    m_thread = std::thread(&CWriter::Run, this);
  } catch (const std::system_error& error) {
    close(m_nWakeFd);
    m_nWakeFd = -1;
    return error.code().value();
  }
  return 0;
}

void CWriter::SetCharTime(std::chrono::microseconds charTime) {
  std::lock_guard lock(m_mtx);
  m_charTime = charTime;
}

void CWriter::Wake() const {
  const uint64_t nOne = 1;
  while (write(m_nWakeFd, &nOne, sizeof nOne) < 0 && errno == EINTR) {
  }
}

CWriter::SBacklog CWriter::BacklogLocked(Clock::time_point now) const {
  SBacklog backlog;
  backlog.nWaiting = m_queue.Size() + m_nEscapedLeft + m_nDriverQueue;
  if (backlog.nWaiting == 0) return backlog;
  backlog.waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastProgress);
  backlog.bStalled = backlog.waited >= kStallAfter + 2 * m_charTime;
  return backlog;
}

CWriter::SBacklog CWriter::Backlog() const {
  std::lock_guard lock(m_mtx);
  return BacklogLocked(Clock::now());
}

bool CWriter::TakeStallReport(SBacklog& backlog) {
  std::lock_guard lock(m_mtx);
  backlog = BacklogLocked(Clock::now());
  if (!backlog.bStalled || m_bStallTold) return false;
  m_bStallTold = true;
  return true;
}

bool CWriter::StallReportPending() const {
  std::lock_guard lock(m_mtx);
  return !m_bStallTold && BacklogLocked(Clock::now()).bStalled;
}

CWriter::EQueue CWriter::Queue(const uint8_t* pData, size_t nCount, const std::function<void()>& onQueued) {
  {
    std::lock_guard lock(m_mtx);
    if (m_nFailure != 0) return EQueue::Failed;
    const auto now = Clock::now();
    const SBacklog backlog = BacklogLocked(now);
    if (backlog.bStalled) return EQueue::Stalled;
    // The caller is the queue's only producer, so the room seen here is still there below.
    if (m_queue.Capacity() - m_queue.Size() < nCount) return EQueue::Full;
    onQueued();
    m_queue.Append(pData, nCount);
    // The wait of these bytes starts now.
    if (backlog.nWaiting == 0) m_lastProgress = now;
  }
  Wake();
  return EQueue::Queued;
}

void CWriter::NoteProgress(Clock::time_point now) {
  int nInDriver = 0;
  if (ioctl(m_nFd, TIOCOUTQ, &nInDriver) != 0) nInDriver = 0;
  std::lock_guard lock(m_mtx);
  m_nDriverQueue = std::min<uint64_t>(static_cast<uint64_t>(std::max(nInDriver, 0)), m_nWritten);
  const uint64_t nLeft = m_nWritten - m_nDriverQueue;
  if (nLeft > m_nLeft) {
    m_nLeft = nLeft;
    m_lastProgress = now;
    m_bStallTold = false;
  }
  if (m_queue.Size() == 0 && m_nEscapedLeft == 0 && m_nDriverQueue == 0) m_cvDrained.notify_all();
}

const uint8_t* CWriter::NextArea(size_t& nArea) {
  if (!m_bEscapeIac) return m_queue.DataArea(nArea);
  if (m_nEscapedSent == m_vecEscaped.size()) {
    size_t nQueued = 0;
    const uint8_t* pQueued = m_queue.DataArea(nQueued);
    if (pQueued == nullptr) {
      nArea = 0;
      return nullptr;
    }
    nQueued = std::min(nQueued, kEscapeChunk);
    m_vecEscaped.clear();
    m_nEscapedSent = 0;
    EscapeIac(pQueued, nQueued, m_vecEscaped);
    std::lock_guard lock(m_mtx);
    m_queue.Take(nullptr, nQueued);
    m_nEscapedLeft = m_vecEscaped.size();
  }
  nArea = m_vecEscaped.size() - m_nEscapedSent;
  return m_vecEscaped.data() + m_nEscapedSent;
}

void CWriter::Consume(size_t nDone) {
  if (m_bEscapeIac)
    m_nEscapedSent += nDone;
  else
    m_queue.Take(nullptr, nDone);
  std::lock_guard lock(m_mtx);
  if (m_bEscapeIac) m_nEscapedLeft -= nDone;
  m_nWritten += static_cast<uint64_t>(nDone);
}

void CWriter::Run() {
  for (;;) {
    bool bFailed = false;
    {
      std::lock_guard lock(m_mtx);
      if (m_bStop) return;
      bFailed = m_nFailure != 0;
    }
    size_t nArea = 0;
    const uint8_t* pArea = bFailed ? nullptr : NextArea(nArea);
    if (pArea != nullptr) {
      const ssize_t nDone = write(m_nFd, pArea, nArea);
      if (nDone > 0) {
        Consume(static_cast<size_t>(nDone));
        NoteProgress(Clock::now());
        continue;
      }
      if (nDone < 0 && errno == EINTR) continue;
      if (nDone < 0 && errno != EAGAIN) {
        std::lock_guard lock(m_mtx);
        m_nFailure = errno;
        m_cvDrained.notify_all();
        continue;
      }
    }
    bool bWaiting = pArea != nullptr;
    {
      std::lock_guard lock(m_mtx);
      bWaiting = bWaiting || (m_nFailure == 0 && m_nDriverQueue != 0);
    }
    // The device is watched only while bytes wait for it: a hung-up device reports
    // POLLHUP on every poll.
    pollfd afd[2] = {{pArea != nullptr ? m_nFd : -1, POLLOUT, 0}, {m_nWakeFd, POLLIN, 0}};
    if (poll(afd, 2, bWaiting ? kProgressCheckMs : -1) < 0 && errno != EINTR) return;
    if (afd[1].revents != 0) {
      uint64_t nCount = 0;
      while (read(m_nWakeFd, &nCount, sizeof nCount) < 0 && errno == EINTR) {
      }
    }
    if (!(afd[0].revents & POLLOUT) && (afd[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
      std::lock_guard lock(m_mtx);
      m_nFailure = EIO;
      m_cvDrained.notify_all();
      continue;
    }
    if (bWaiting) NoteProgress(Clock::now());
  }
}

uint64_t CWriter::Finish(std::chrono::milliseconds limit) {
  if (!m_thread.joinable()) return 0;
  {
    std::unique_lock lock(m_mtx);
    m_cvDrained.wait_for(lock, limit, [&] {
      return m_nFailure != 0 || (m_queue.Size() == 0 && m_nEscapedLeft == 0 && m_nDriverQueue == 0);
    });
    m_bStop = true;
  }
  Wake();
  m_thread.join();
  close(m_nWakeFd);
  m_nWakeFd = -1;

  int nInDriver = 0;
  if (m_nFailure != 0 || ioctl(m_nFd, TIOCOUTQ, &nInDriver) != 0) nInDriver = 0;
  // What the driver still holds would otherwise keep the device's close waiting for the
  // driver's closing wait. Only then: on a pseudo-terminal, which counts nothing here, a
  // flush would take what the other side has not read yet.
  if (nInDriver > 0) tcflush(m_nFd, TCOFLUSH);
  const uint64_t nEscapedLeft = std::exchange(m_nEscapedLeft, 0);
  m_vecEscaped.clear();
  m_nEscapedSent = 0;
  return m_queue.Take(nullptr, m_queue.Size()) + nEscapedLeft + static_cast<uint64_t>(std::max(nInDriver, 0));
}

}  // namespace tobrel
