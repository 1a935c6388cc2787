// What every benchmark shares: clocks, CPU and memory of this process, the
// machine's description, tables, the device side of a pseudo-terminal played
// by a separate process, and the terminal application run on real time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "StreamPattern.h"
#include "TobrelCapture.h"
#include "WinTypes.h"

namespace bench {

constexpr uint64_t kMiB = uint64_t{1} << 20;
// 921600 baud, 8N1: ten bits a byte.
constexpr uint64_t kLineRate = 921600 / 10;

int64_t NowNs();
// Every thread of this process, the serial library's reader included.
double CpuSeconds();
// The run time of this process's threads of that name, summed.
double ThreadCpuSeconds(std::string_view name);
size_t RssBytes();
// The highest resident size of this process since the last ResetPeakRss.
size_t PeakRssBytes();
void ResetPeakRss();
void PrintMachine();

std::string Fixed(double value, int nDigits);
std::string Number(uint64_t n);

class CTable {
 public:
  CTable(std::string strTitle, std::vector<std::string> vecHeads);
  void AddRow(std::vector<std::string> vecRow);
  void Print() const;

 private:
  std::string m_strTitle;
  std::vector<std::string> m_vecHeads;
  std::vector<std::vector<std::string>> m_vecRows;
};

struct SRecordCheck {
  uint64_t nMissing = 0;     // sent but not in the record
  uint64_t nExtra = 0;       // in the record but never sent
  uint64_t nMismatched = 0;  // positions whose unit differs from the byte sent there
};
// The benchmarks' streams: CR LF lines of every other value, or every value
// but CR and LF with no line break at all.
class CBenchPattern {
 public:
  explicit CBenchPattern(EStreamKind kind, uint64_t nSeed = CStreamPattern::kDefaultSeed)
      : m_kind(kind), m_pattern(kind, nSeed) {}
  uint8_t Next() {
    uint8_t byValue = m_pattern.Next();
    // The simulator's unstructured stream still holds CR and LF bytes.
    if (m_kind == EStreamKind::NoLines && (byValue == '\r' || byValue == '\n')) byValue |= 0x80;
    return byValue;
  }

 private:
  EStreamKind m_kind;
  CStreamPattern m_pattern;
};

// Compares record units [nFrom, nFrom + nCount) with the stream's first nCount bytes.
SRecordCheck CheckRecord(std::u16string_view record, EStreamKind kind, uint64_t nCount);

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

// What shows the terminal: the headless window system alone, or a view whose
// event loop runs the dialog and delivers its timer ticks.
class CView {
 public:
  virtual ~CView() = default;
  virtual const char* Name() const = 0;
  // Runs AfxWinMain; scenario(hDlg) runs inside the dialog's modal loop.
  virtual void Run(const std::function<void(HWND)>& scenario) = 0;
  // Delivers whatever ticks and view work fall due before the deadline, or
  // returns sooner; false when ticks are left to PumpTimers.
  virtual bool RunEvents(int64_t nDeadlineNs) = 0;
  // Finishes the view's work on what has changed.
  virtual void Settle() = 0;
  // Bytes the view has written to the person's terminal, for a view that has one.
  virtual uint64_t TerminalBytes() const { return 0; }
  // Units of the receive record the view shows, or could scroll to without
  // further work.
  virtual size_t ShownLength(HWND hDlg) = 0;
  // What a person gets who selects the whole receive record and copies it;
  // nothing when the view has no clipboard.
  virtual std::optional<std::u16string> CopyRecord(HWND hDlg) = 0;
  // The longest frames while the receive record is scrolled from top to end
  // and back by keys, and while its scroll bar is dragged; nothing when the
  // view draws nothing.
  struct SScrollFrames {
    double fKeysMs = 0;
    double fDragMs = 0;
    size_t nFrames = 0;
  };
  virtual std::optional<SScrollFrames> MeasureScrolling(HWND hDlg) = 0;
};
// The view each benchmark program is linked with, set up from its command
// line: --text picks the text view where the program has the headless one.
CView& SetUpView(int& argc, char** argv);
CView& View();
CView& TextBenchView();

// Runs the terminal application on real time, with COM1 mapped to
// strDevice; the scenario runs inside the dialog's modal loop, after which the
// dialog ends with IDOK.
void RunTerminal(const std::string& strDevice, const std::function<void(HWND)>& scenario);
// The modal run for a view that leaves the loop to the benchmark.
void RunHeadless(const std::function<void(HWND)>& scenario);

// Opens COM1 at 921600 baud; false (after saying why) when the open fails.
bool OpenPort(HWND hDlg);
size_t RecordLength(HWND hDlg);
std::u16string_view RecordText(HWND hDlg);
void ClearRecord(HWND hDlg);

// Delivers timer ticks on real time until bDone() holds after a tick or the
// deadline passes; onTick runs after each tick.
void PumpTimers(const std::function<bool()>& bDone, int64_t nDeadlineNs, const std::function<void()>& onTick = {});

// One stream through the terminal's receive poll, from an empty record.
struct SStreamRun {
  uint64_t nSent = 0;
  SRecordCheck check;
  std::optional<SRecordCheck> copyCheck;  // a copy of the whole record, where the view has one
  double fCpuSeconds = 0;                 // this process, while the stream ran and was shown
  double fReaderSeconds = 0;              // of that, COM1's reader thread
  double fWallSeconds = 0;                // over the same time
  uint64_t nRecorded = 0;                 // units in the record at the end
  double fRecordSeconds = 0;              // first byte written to the record's last growth
  double fShownSeconds = 0;               // first byte written until the view shows it all
  size_t nPeakRss = 0;                    // the whole process, while the stream ran
  size_t nRssBefore = 0;                  // the whole process, with the record empty
  std::optional<CView::SScrollFrames> scroll;
  double fWriteSeconds = 0;  // first byte written to last byte written
  double fMaxDelayMs = -1;   // a write's last byte reaching the pseudo-terminal to its showing
  double fP99DelayMs = -1;
  size_t nTicks = 0;
  double fMaxGapMs = 0;         // the longest time between two ticks
  uint64_t nTerminalBytes = 0;  // written to the person's terminal meanwhile
};
// Bytes a second to the person's terminal, or "-" for a view without one.
std::string TerminalRate(const SStreamRun& run);
// bScroll also measures scrolling through the full record.
SStreamRun StreamThrough(HWND hDlg, CPtyPeer& peer, EStreamKind kind, uint64_t nCount, uint64_t nRate,
                         bool bScroll = false);
const char* KindName(EStreamKind kind);

// With --capture: each stream again with the serial library's capture file on (text form),
// beside the run without it (pWithout, or one made first); the file is decoded and compared
// with what was sent. With more than one round, runs without and with take turns, and the CPU
// figures are the medians.
class CCaptureComparison {
 public:
  explicit CCaptureComparison(const std::string& strTitle);
  void Run(HWND hDlg, CPtyPeer& peer, EStreamKind kind, ECaptureForm form, uint64_t nCount, uint64_t nRate,
           const SStreamRun* pWithout, int nRounds = 1);
  void Print() const;

 private:
  CTable m_table;
};

bool HasFlag(int argc, char** argv, std::string_view flag);
// The number after an option ("--rounds 3"), or nDefault.
int IntOption(int argc, char** argv, std::string_view option, int nDefault);

}  // namespace bench
