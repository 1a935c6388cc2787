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
  // Closes the file and tells the failure once; an empty strWhy keeps the reason told before.
  void Fail(const std::string& strWhy);
  // strMessage for the status line, once.
  void Tell(std::string strMessage);
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
  // The file ends in a line the formatter forgot at a failure, which the next write ends.
  bool m_bLineCut = false;
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

// Why the path is refused: "it is a FIFO, not a regular file".
std::string NotARegularFile(mode_t nMode) {
  const char* pszWhat = S_ISLNK(nMode)                     ? "a symbolic link"
                        : S_ISFIFO(nMode)                  ? "a FIFO"
                        : S_ISDIR(nMode)                   ? "a directory"
                        : S_ISCHR(nMode) || S_ISBLK(nMode) ? "a device"
                        : S_ISSOCK(nMode)                  ? "a socket"
                                                           : "something else";
  return std::string("it is ") + pszWhat + ", not a regular file";
}

// Opens the path for appending: a new file is created exclusively, a final symbolic link is
// not followed (in a shared directory it could point anywhere the user may write), and a
// FIFO, device or directory is refused without waiting on it. -1 with the reason otherwise.
int OpenCaptureFile(const std::string& strPath, std::string& strWhy) {
  constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
  struct stat st {};
  // Twice, for a path made or removed between the look and the open.
  for (int nTry = 0; nTry < 2; ++nTry) {
    int nFd = -1;
    if (lstat(strPath.c_str(), &st) != 0) {
      if (errno != ENOENT) break;
      nFd = open(strPath.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
      if (nFd < 0 && errno == EEXIST) continue;
    } else {
      // Not opened at all: opening a device or FIFO may act on it or wait.
      if (!S_ISREG(st.st_mode)) return strWhy = NotARegularFile(st.st_mode), -1;
      nFd = open(strPath.c_str(), kFlags);
      if (nFd < 0 && errno == ENOENT) continue;
    }
    if (nFd < 0) break;
    if (fstat(nFd, &st) == 0 && S_ISREG(st.st_mode)) return nFd;
    close(nFd);
    return strWhy = NotARegularFile(st.st_mode), -1;
  }
  strWhy = errno == ELOOP ? NotARegularFile(S_IFLNK) : SystemError(errno);
  return -1;
}

uint32_t CCapture::Start(const std::string& strPath, ECaptureForm form) {
  Stop();
  std::string strWhy;
  const int nFd = OpenCaptureFile(strPath, strWhy);
  if (nFd < 0) return Report(TOBREL_ERR_CAPTURE, "Cannot capture to " + strPath + ": " + strWhy + ".");
  m_strPath = strPath;
  m_form = form;
  m_nFd = nFd;
  m_formatter = CCaptureFormatter();
  m_nMissed = 0;
  m_bMidLine = false;
  m_bLineCut = false;
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

void CCapture::Fail(const std::string& strWhy) {
  if (m_nFd >= 0) close(m_nFd);
  m_nFd = -1;
  m_formatter.Forget();
  m_bLineCut = m_bMidLine;
  if (!strWhy.empty()) m_strMissedWhy = strWhy;
  if (m_bFailing) return;
  m_bFailing = true;
  Tell("Capture to " + m_strPath + " failed: " + m_strMissedWhy +
       ". The terminal goes on; the file misses what passes until writing works again" +
       (m_form == ECaptureForm::Text ? ", then says how many bytes it missed."
                                     : ", then the status line says how many bytes it missed."));
}

void CCapture::Tell(std::string strMessage) {
  std::lock_guard lock(m_mtxReport);
  m_strReport = std::move(strMessage);
  m_bReportPending = true;
}

bool CCapture::PathLost() const {
  struct stat open {};
  struct stat named {};
  if (fstat(m_nFd, &open) != 0) return false;
  // A link planted at the path is no longer the file either.
  if (lstat(m_strPath.c_str(), &named) != 0) return errno == ENOENT;
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
  m_bLineCut = false;
  std::string strWhy;
  m_nFd = OpenCaptureFile(m_strPath, strWhy);
  if (m_nFd < 0) return Fail(strWhy);
  if (m_form == ECaptureForm::Text)
    m_formatter.Event(WallClock::now(), 0, "the file this path named was moved or removed; the capture goes on here",
                      m_batch);
}

bool CCapture::WriteBatch() {
  if (m_batch.Empty() && m_nMissed == 0) return false;
  std::string strWhy;
  if (m_nFd < 0 && Clock::now() - m_lastRetry >= kRetryPeriod) {
    m_lastRetry = Clock::now();
    m_nFd = OpenCaptureFile(m_strPath, strWhy);
  }
  CCaptureText head;
  if (m_nFd >= 0 && m_form == ECaptureForm::Text) {
    if (m_bLineCut) head.Append('\n');
    if (m_nMissed != 0)
      m_formatter.Event(WallClock::now(), 0,
                        "the file missed " + std::to_string(m_nMissed) + " bytes: " + m_strMissedWhy, head);
  }
  // The head goes in front of the batch only when there is one: a batch can hold many MiB.
  if (!head.Empty()) m_batch.Prepend(head.View());
  size_t nWritten = 0;
  if (m_nFd >= 0) {
    struct stat st {};
    const off_t nFileSize = fstat(m_nFd, &st) == 0 ? st.st_size : -1;
    while (nWritten < m_batch.Size()) {
      const ssize_t nDone = write(m_nFd, m_batch.Data() + nWritten, m_batch.Size() - nWritten);
      if (nDone > 0) {
        nWritten += static_cast<size_t>(nDone);
        continue;
      }
      if (nDone < 0 && errno == EINTR) continue;
      strWhy = SystemError(nDone < 0 ? errno : ENOSPC);
      break;
    }
    if (nWritten == m_batch.Size()) {
      if (m_nMissed != 0 && m_form == ECaptureForm::Raw)
        Tell("Capture to " + m_strPath + " works again; the file missed " + std::to_string(m_nMissed) +
             " bytes: " + m_strMissedWhy + ".");
      if (nWritten != 0) m_bMidLine = m_batch.Data()[nWritten - 1] != '\n';
      m_nMissed = 0;
      m_bLineCut = false;
      m_bFailing = false;
      return true;
    }
    // A text record cut short is taken off again, so every line of the file is whole.
    if (m_form == ECaptureForm::Text && nWritten != 0) {
      size_t nWhole = nWritten >= head.Size() ? head.Size() : 0;
      for (const SMark& mark : m_vecMarks)
        if (head.Size() + mark.nEnd <= nWritten) nWhole = head.Size() + mark.nEnd;
      if (nFileSize >= 0 && ftruncate(m_nFd, nFileSize + static_cast<off_t>(nWhole)) == 0) nWritten = nWhole;
    }
    if (nWritten != 0) m_bMidLine = m_batch.Data()[nWritten - 1] != '\n';
  }
  // What did not reach the file whole is missed; a text line cut short counts whole. The
  // count told in the head is done with; the raw form's is told only on success.
  const bool bHeadWritten = m_nFd >= 0 && nWritten >= head.Size();
  if (bHeadWritten && !head.Empty()) m_nMissed = 0;
  const size_t nWrittenBatch = bHeadWritten ? nWritten - head.Size() : 0;
  size_t nStart = 0;
  for (const SMark& mark : m_vecMarks) {
    if (m_form == ECaptureForm::Raw)
      m_nMissed += mark.nEnd <= nWrittenBatch ? 0 : mark.nEnd - std::max(nStart, nWrittenBatch);
    else if (mark.nEnd > nWrittenBatch)
      m_nMissed += mark.nBytes;
    nStart = mark.nEnd;
  }
  Fail(strWhy);
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
