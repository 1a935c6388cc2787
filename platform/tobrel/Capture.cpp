// The capture file: the callers append events to a queue under a short lock; the capture's
// own thread formats and writes them once a second, or as soon as a MiB waits or an event
// comes, syncs once a second and on every event and close, and when the file fails, counts
// what it misses until writing works again. When the file is moved or removed (log rotation,
// or a person clearing it), it goes on in a new file at the path. Waking seldom keeps a slow
// line's capture cheap.
// The text goes out in pieces of a quarter MiB, so it is written from the cache it was
// formatted in and the thread's memory stays small however fast the line is.
#include "Capture.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "CaptureFormat.h"
#include "Messages.h"
#include "SystemText.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kWritePeriod{1000};
constexpr size_t kWakeBytes = size_t{1} << 20;
constexpr std::chrono::milliseconds kSyncPeriod{1000};
constexpr std::chrono::milliseconds kRetryPeriod{200};
// Bytes the queue holds for a file that does not keep up; beyond, the file misses them.
constexpr size_t kMaxPending = size_t{64} << 20;
constexpr size_t kWritePiece = size_t{256} << 10;

struct SEvent {
  WallClock::time_point time;
  uint8_t nPort;
  char cKind;  // '<', '>' or '!'
  size_t nOffset;
  size_t nLength;
};

// End of an event's text in the formatted batch, and how many line bytes it carries.
struct SMark {
  size_t nEnd;
  uint64_t nBytes;
};

std::atomic<bool> g_bCapturing{false};

class CCapture {
 public:
  uint32_t Start(const std::string& strPath, ECaptureForm form);
  void Stop();
  void Add(char cKind, uint8_t nPort, const uint8_t* pData, size_t nCount);
  bool ReportPending() const;
  bool TakeReport(std::string& strMessage);

 private:
  void Run();
  void Format(const std::vector<SEvent>& vecEvents, const std::vector<uint8_t>& vecBytes);
  // Writes the batch, or counts it missed, and clears it.
  void Flush();
  // Writes the batch, or counts it missed; true when something reached the file.
  bool WriteBatch();
  void Fail(int nErrno);
  // Whether the path no longer names the open file: it was removed, or moved away as log
  // rotation does, perhaps with a new file put in its place.
  bool PathLost() const;
  // Ends the old file's open line and goes on in the file the path names now.
  void Reopen();

  std::mutex m_mtx;
  std::condition_variable m_cv;
  std::vector<SEvent> m_vecEvents;
  std::vector<uint8_t> m_vecBytes;
  uint64_t m_nOverflow = 0;
  bool m_bStop = false;
  bool m_bFlushNow = false;
  std::thread m_thread;

  // The capture thread's own.
  std::string m_strPath;
  ECaptureForm m_form = ECaptureForm::Text;
  int m_nFd = -1;
  CCaptureFormatter m_formatter;
  CCaptureText m_batch;
  std::vector<SMark> m_vecMarks;
  uint64_t m_nMissed = 0;
  std::string m_strMissedWhy;
  bool m_bMidLine = false;
  bool m_bFailing = false;
  bool m_bUnsynced = false;
  Clock::time_point m_lastRetry{};

  mutable std::mutex m_mtxReport;
  std::string m_strReport;
  bool m_bReportPending = false;
};

CCapture& TheCapture() {
  // Never destroyed: ports closing at exit still hand it their last events.
  static CCapture* s_pCapture = new CCapture;
  return *s_pCapture;
}

int OpenForAppending(const std::string& strPath) {
  return open(strPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0600);
}

uint32_t CCapture::Start(const std::string& strPath, ECaptureForm form) {
  Stop();
  const int nFd = OpenForAppending(strPath);
  if (nFd < 0) return Report(TOBREL_ERR_CAPTURE, "Cannot capture to " + strPath + ": " + SystemError(errno) + ".");
  m_strPath = strPath;
  m_form = form;
  m_nFd = nFd;
  m_formatter = CCaptureFormatter();
  m_nMissed = 0;
  m_bMidLine = false;
  m_bFailing = false;
  m_bUnsynced = false;
  {
    std::lock_guard lock(m_mtx);
    m_bStop = false;
  }
  {
    std::lock_guard lock(m_mtxReport);
    m_bReportPending = false;
  }
  m_thread = std::thread(&CCapture::Run, this);
  g_bCapturing = true;
  return Report(TOBREL_OK, "Capturing to " + strPath + ".");
}

void CCapture::Stop() {
  if (!m_thread.joinable()) return;
  g_bCapturing = false;
  {
    std::lock_guard lock(m_mtx);
    m_bStop = true;
  }
  m_cv.notify_all();
  m_thread.join();
}

void CCapture::Add(char cKind, uint8_t nPort, const uint8_t* pData, size_t nCount) {
  const auto now = WallClock::now();
  bool bWake = false;
  {
    std::lock_guard lock(m_mtx);
    if (m_bStop) return;
    if (cKind != '!' && m_vecBytes.size() + nCount > kMaxPending) {
      m_nOverflow += nCount;
      return;
    }
    const bool bWasBelow = m_vecBytes.size() < kWakeBytes;
    m_vecEvents.push_back({now, nPort, cKind, m_vecBytes.size(), nCount});
    m_vecBytes.insert(m_vecBytes.end(), pData, pData + nCount);
    if (cKind == '!') m_bFlushNow = true;
    bWake = cKind == '!' || (bWasBelow && m_vecBytes.size() >= kWakeBytes);
  }
  if (bWake) m_cv.notify_all();
}

bool CCapture::ReportPending() const {
  std::lock_guard lock(m_mtxReport);
  return m_bReportPending;
}

bool CCapture::TakeReport(std::string& strMessage) {
  std::lock_guard lock(m_mtxReport);
  if (!m_bReportPending) return false;
  m_bReportPending = false;
  strMessage = m_strReport;
  return true;
}

void CCapture::Format(const std::vector<SEvent>& vecEvents, const std::vector<uint8_t>& vecBytes) {
  for (const SEvent& event : vecEvents) {
    const uint8_t* pData = vecBytes.data() + event.nOffset;
    if (m_form == ECaptureForm::Raw) {
      if (event.cKind == '<') m_batch.Append(std::string_view(reinterpret_cast<const char*>(pData), event.nLength));
    } else if (event.cKind == '<') {
      m_formatter.Received(event.time, event.nPort, pData, event.nLength, m_batch);
    } else if (event.cKind == '>') {
      m_formatter.Sent(event.time, event.nPort, pData, event.nLength, m_batch);
    } else {
      m_formatter.Event(event.time, event.nPort, std::string_view(reinterpret_cast<const char*>(pData), event.nLength),
                        m_batch);
    }
    m_vecMarks.push_back({m_batch.Size(), event.cKind == '!' ? 0 : event.nLength});
    if (m_batch.Size() >= kWritePiece) Flush();
  }
}

void CCapture::Flush() {
  if (WriteBatch()) m_bUnsynced = true;
  m_batch.Clear();
  m_vecMarks.clear();
}

void CCapture::Fail(int nErrno) {
  if (m_nFd >= 0) close(m_nFd);
  m_nFd = -1;
  m_formatter.Forget();
  if (nErrno != 0) m_strMissedWhy = SystemError(nErrno);
  if (m_bFailing) return;
  m_bFailing = true;
  std::lock_guard lock(m_mtxReport);
  m_strReport = "Capture to " + m_strPath + " failed: " + m_strMissedWhy +
                ". The terminal goes on; the file misses what passes until writing works again" +
                (m_form == ECaptureForm::Text ? ", then says how many bytes it missed." : ".");
  m_bReportPending = true;
}

bool CCapture::PathLost() const {
  struct stat open {};
  struct stat named {};
  if (fstat(m_nFd, &open) != 0) return false;
  if (stat(m_strPath.c_str(), &named) != 0) return errno == ENOENT;
  return named.st_dev != open.st_dev || named.st_ino != open.st_ino;
}

void CCapture::Reopen() {
  m_formatter.EndLine(m_batch);
  Flush();
  if (m_nFd < 0) return;
  if (m_bUnsynced) fdatasync(m_nFd);
  close(m_nFd);
  m_bUnsynced = false;
  m_bMidLine = false;
  m_nFd = OpenForAppending(m_strPath);
  if (m_nFd < 0) return Fail(errno);
  if (m_form == ECaptureForm::Text)
    m_formatter.Event(WallClock::now(), 0, "the file this path named was moved or removed; the capture goes on here",
                      m_batch);
}

bool CCapture::WriteBatch() {
  if (m_batch.Empty() && m_nMissed == 0) return false;
  int nErrno = 0;
  if (m_nFd < 0 && Clock::now() - m_lastRetry >= kRetryPeriod) {
    m_lastRetry = Clock::now();
    m_nFd = OpenForAppending(m_strPath);
    if (m_nFd < 0) nErrno = errno;
  }
  CCaptureText head;
  if (m_nFd >= 0 && m_nMissed != 0 && m_form == ECaptureForm::Text) {
    if (m_bMidLine) head.Append('\n');
    m_formatter.Event(WallClock::now(), 0, "the file missed " + std::to_string(m_nMissed) + " bytes: " + m_strMissedWhy,
                      head);
  }
  // The head goes in front of the batch only when there is one: a batch can hold many MiB.
  if (!head.Empty()) m_batch.Prepend(head.View());
  size_t nWritten = 0;
  if (m_nFd >= 0) {
    while (nWritten < m_batch.Size()) {
      const ssize_t nDone = write(m_nFd, m_batch.Data() + nWritten, m_batch.Size() - nWritten);
      if (nDone > 0) {
        nWritten += static_cast<size_t>(nDone);
        continue;
      }
      if (nDone < 0 && errno == EINTR) continue;
      nErrno = nDone < 0 ? errno : ENOSPC;
      break;
    }
    if (nWritten != 0) m_bMidLine = m_batch.Data()[nWritten - 1] != '\n';
    if (nWritten == m_batch.Size()) {
      m_nMissed = 0;
      m_bFailing = false;
      return true;
    }
  }
  // What did not reach the file whole is missed; a text line cut short counts whole.
  const bool bHeadWritten = nWritten >= head.Size() && m_nFd >= 0;
  if (bHeadWritten) m_nMissed = 0;
  const size_t nWrittenBatch = bHeadWritten ? nWritten - head.Size() : 0;
  size_t nStart = 0;
  for (const SMark& mark : m_vecMarks) {
    if (m_form == ECaptureForm::Raw)
      m_nMissed += mark.nEnd <= nWrittenBatch ? 0 : mark.nEnd - std::max(nStart, nWrittenBatch);
    else if (mark.nEnd > nWrittenBatch)
      m_nMissed += mark.nBytes;
    nStart = mark.nEnd;
  }
  Fail(nErrno);
  return nWritten != 0;
}

void CCapture::Run() {
  // Named, so that top -H and a debugger tell it from the port's threads.
  pthread_setname_np(pthread_self(), "quorvel capture");
  std::vector<SEvent> vecEvents;
  std::vector<uint8_t> vecBytes;
  auto lastSync = Clock::now();
  for (;;) {
    uint64_t nOverflow = 0;
    bool bStop = false;
    bool bSyncNow = false;
    {
      std::unique_lock lock(m_mtx);
      m_cv.wait_for(lock, kWritePeriod, [&] { return m_bStop || m_bFlushNow || m_vecBytes.size() >= kWakeBytes; });
      std::swap(vecEvents, m_vecEvents);
      std::swap(vecBytes, m_vecBytes);
      nOverflow = std::exchange(m_nOverflow, 0);
      bStop = m_bStop;
      bSyncNow = std::exchange(m_bFlushNow, false);
    }
    // On every wake, so that what comes after a move or removal goes to the file the path
    // names; two stat calls are nothing beside the writing.
    if (m_nFd >= 0 && PathLost()) Reopen();
    if (nOverflow != 0) {
      m_nMissed += nOverflow;
      m_strMissedWhy = "writing fell behind the line";
    }
    Format(vecEvents, vecBytes);
    if (bStop) m_formatter.EndLine(m_batch);
    Flush();
    vecEvents.clear();
    vecBytes.clear();
    const auto now = Clock::now();
    if (m_nFd >= 0 && m_bUnsynced && (bSyncNow || bStop || now - lastSync >= kSyncPeriod)) {
      fdatasync(m_nFd);
      lastSync = now;
      m_bUnsynced = false;
    }
    if (bStop) break;
  }
  if (m_nFd >= 0) close(m_nFd);
  m_nFd = -1;
}

}  // namespace

void CaptureReceived(uint8_t nPort, const uint8_t* pData, size_t nCount) {
  if (g_bCapturing.load(std::memory_order_relaxed)) TheCapture().Add('<', nPort, pData, nCount);
}

void CaptureSent(uint8_t nPort, const uint8_t* pData, size_t nCount) {
  if (g_bCapturing.load(std::memory_order_relaxed)) TheCapture().Add('>', nPort, pData, nCount);
}

void CaptureEvent(uint8_t nPort, const std::string& strText) {
  if (g_bCapturing.load(std::memory_order_relaxed))
    TheCapture().Add('!', nPort, reinterpret_cast<const uint8_t*>(strText.data()), strText.size());
}

bool CaptureReportPending() { return g_bCapturing && TheCapture().ReportPending(); }

bool TakeCaptureReport(std::string& strMessage) { return g_bCapturing && TheCapture().TakeReport(strMessage); }

}  // namespace tobrel

using namespace tobrel;

uint32_t StartCapture(const std::string& strPath, ECaptureForm form) { return TheCapture().Start(strPath, form); }

void StopCapture() {
  if (g_bCapturing) TheCapture().Stop();
}
