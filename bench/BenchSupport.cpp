#include "BenchSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <new>

#include "CWinApp.h"
#include "CaptureReader.h"
#include "Dialog.h"
#include "TerminalState.h"
#include "TextConversion.h"
#include "Timer.h"
#include "TobrelCapture.h"
#include "TobrelResults.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

namespace bench {

namespace {

[[noreturn]] void Die(const char* pszWhat) {
  std::fprintf(stderr, "bench: %s: %s\n", pszWhat, std::strerror(errno));
  std::exit(1);
}

void SleepUntilNs(int64_t nNs) {
  timespec ts{static_cast<time_t>(nNs / 1000000000), static_cast<long>(nNs % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

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

int64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The thread that reads COM1, the benchmarks' port, beside the dialog.
constexpr std::string_view kReaderThread = "quorvel COM1 rx";

double ThreadCpuSeconds(std::string_view name) {
  double fSeconds = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string strName;
    std::getline(comm, strName);
    if (strName != name) continue;
    // The first field is the time the thread has run, in nanoseconds.
    std::ifstream schedstat(task.path() / "schedstat");
    uint64_t nNs = 0;
    schedstat >> nNs;
    fSeconds += static_cast<double>(nNs) * 1e-9;
  }
  return fSeconds;
}

size_t RssBytes() {
  std::ifstream statm("/proc/self/statm");
  size_t nSize = 0, nResident = 0;
  statm >> nSize >> nResident;
  return nResident * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

size_t PeakRssBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

void ResetPeakRss() {
  // Linux: writing 5 resets the peak resident size to the current one.
  std::ofstream("/proc/self/clear_refs") << "5";
}

void PrintMachine() {
  std::string strModel = "unknown";
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) {
      strModel = line.substr(line.find(':') + 2);
      break;
    }
  }
  utsname uts{};
  uname(&uts);
  char szDate[64] = {};
  std::time_t now = std::time(nullptr);
  std::strftime(szDate, sizeof szDate, "%Y-%m-%d %H:%M:%S UTC", std::gmtime(&now));
  std::printf("Machine: %s, %ld cores online, %s %s %s, %s\n", strModel.c_str(), sysconf(_SC_NPROCESSORS_ONLN),
              uts.sysname, uts.release, uts.machine, szDate);
}

std::string Fixed(double value, int nDigits) {
  char sz[64];
  std::snprintf(sz, sizeof sz, "%.*f", nDigits, value);
  return sz;
}

std::string Number(uint64_t n) { return std::to_string(n); }

CTable::CTable(std::string strTitle, std::vector<std::string> vecHeads)
    : m_strTitle(std::move(strTitle)), m_vecHeads(std::move(vecHeads)) {}

void CTable::AddRow(std::vector<std::string> vecRow) { m_vecRows.push_back(std::move(vecRow)); }

void CTable::Print() const {
  std::vector<size_t> vecWidths(m_vecHeads.size());
  for (size_t i = 0; i < m_vecHeads.size(); ++i) vecWidths[i] = m_vecHeads[i].size();
  for (const auto& row : m_vecRows)
    for (size_t i = 0; i < row.size() && i < vecWidths.size(); ++i)
      vecWidths[i] = std::max(vecWidths[i], row[i].size());
  auto printRow = [&](const std::vector<std::string>& row) {
    std::string strLine = "|";
    for (size_t i = 0; i < vecWidths.size(); ++i) {
      const std::string& cell = i < row.size() ? row[i] : std::string();
      strLine.append(vecWidths[i] - cell.size() + 1, ' ').append(cell).append(" |");
    }
    std::printf("%s\n", strLine.c_str());
  };
  std::printf("\n%s\n", m_strTitle.c_str());
  printRow(m_vecHeads);
  std::string strRule = "|";
  for (size_t nWidth : vecWidths) strRule.append(nWidth + 1, '-').append(":|");
  std::printf("%s\n", strRule.c_str());
  for (const auto& row : m_vecRows) printRow(row);
  std::fflush(stdout);
}

SRecordCheck CheckRecord(std::u16string_view record, EStreamKind kind, uint64_t nCount) {
  SRecordCheck check;
  CBenchPattern pattern(kind);
  uint64_t nCommon = std::min<uint64_t>(record.size(), nCount);
  for (uint64_t i = 0; i < nCommon; ++i)
    if (record[i] != WidenReceived(pattern.Next())) ++check.nMismatched;
  check.nMissing = nCount - nCommon;
  check.nExtra = record.size() - nCommon;
  return check;
}

// ---- the device process ----

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
  int nMaster = posix_openpt(O_RDWR | O_NOCTTY);
  if (nMaster < 0 || grantpt(nMaster) != 0 || unlockpt(nMaster) != 0) Die("posix_openpt");
  m_strSlave = ptsname(nMaster);

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
  std::vector<uint8_t> vecData(command.nCount);
  CBenchPattern pattern(command.kind, command.nSeed);
  for (uint8_t& byValue : vecData) byValue = pattern.Next();
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
    WriteAll(nMasterFd, vecData.data() + nWritten, nTarget - nWritten);
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

// ---- the terminal ----

void RunTerminal(const std::string& strDevice, const std::function<void(HWND)>& scenario) {
  setenv("QUORVEL_COM1", strDevice.c_str(), 1);
  unsetenv("QUORVEL_BACKPLANE");
  View().Run(scenario);
}

void RunHeadless(const std::function<void(HWND)>& scenario) {
  win::CScriptModalHost host(scenario, IDOK);
  win::SetModalHost(&host);
  AfxWinMain();
  win::SetModalHost(nullptr);
}

bool OpenPort(HWND hDlg) {
  constexpr int kBaud921600 = 9;
  win::input::Pick(GetDlgItem(hDlg, IDC_COMBO_BAUD), kBaud921600);
  win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_OPEN));
  if (g_terminalState.lastResult == 0) return true;
  std::u16string status = GetWindowText(GetDlgItem(hDlg, IDC_EDIT_STATUS));
  std::fprintf(stderr, "bench: opening COM1 failed (%u): %s\n", g_terminalState.lastResult,
               std::string(status.begin(), status.end()).c_str());
  return false;
}

size_t RecordLength(HWND hDlg) { return GetWindowTextShared(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)).Length(); }

std::u16string_view RecordText(HWND hDlg) {
  return GetWindowTextShared(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)).View();
}

void ClearRecord(HWND hDlg) { win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_CLEAR_RECEIVE)); }

void PumpTimers(const std::function<bool()>& bDone, int64_t nDeadlineNs, const std::function<void()>& onTick) {
  while (View().RunEvents(nDeadlineNs)) {
    if (onTick) onTick();
    if (bDone() || NowNs() >= nDeadlineNs) return;
  }
  for (;;) {
    while (win::DispatchDueTimer()) {
      if (onTick) onTick();
      if (bDone()) return;
    }
    int64_t nNow = NowNs();
    if (nNow >= nDeadlineNs) return;
    int64_t nWake = nDeadlineNs;
    // Timers are due on whole milliseconds of the monotonic clock.
    if (auto due = win::NextTimerDue()) nWake = std::min(nWake, *due * 1000000);
    if (nWake > nNow) SleepUntilNs(nWake);
  }
}

SStreamRun StreamThrough(HWND hDlg, CPtyPeer& peer, EStreamKind kind, uint64_t nCount, uint64_t nRate, bool bScroll) {
  constexpr int64_t kSecond = 1000000000;
  // The stream is over once it is all written and the record has stopped growing.
  constexpr int64_t kSettleNs = 2 * kSecond;
  ClearRecord(hDlg);
  View().Settle();
  struct SSample {
    int64_t nTimeNs;
    size_t nRecorded;
    size_t nShown;
  };
  std::vector<SSample> vecSamples;  // after each tick
  vecSamples.reserve(size_t{1} << 16);
  SStreamRun run;
  run.nRssBefore = RssBytes();
  ResetPeakRss();
  const uint64_t nTerminal0 = View().TerminalBytes();
  peer.StartStream(kind, nCount, nRate);
  const int64_t nWall0 = NowNs();
  const double fCpu0 = CpuSeconds();
  const double fReader0 = ThreadCpuSeconds(kReaderThread);
  int64_t nDeadline = nWall0 + 60 * kSecond;
  if (nRate != 0) nDeadline += static_cast<int64_t>(nCount * kSecond / nRate);
  size_t nLast = 0;
  int64_t nLastGrowth = nWall0;
  PumpTimers(
      [&] {
        const SSample& sample = vecSamples.back();
        if (sample.nShown != nLast) {
          nLast = sample.nShown;
          nLastGrowth = sample.nTimeNs;
        }
        bool bAllShown = sample.nShown >= nCount && sample.nRecorded >= nCount;
        return bAllShown || (peer.StreamDone() && sample.nTimeNs - nLastGrowth > kSettleNs);
      },
      nDeadline,
      [&] {
        vecSamples.push_back({NowNs(), RecordLength(hDlg), View().ShownLength(hDlg)});
      });
  const double fCpu1 = CpuSeconds();
  const int64_t nWall1 = NowNs();
  run.nPeakRss = PeakRssBytes();

  run.nTerminalBytes = View().TerminalBytes() - nTerminal0;
  run.nSent = peer.Written();
  run.fCpuSeconds = fCpu1 - fCpu0;
  run.fReaderSeconds = ThreadCpuSeconds(kReaderThread) - fReader0;
  run.fWallSeconds = static_cast<double>(nWall1 - nWall0) * 1e-9;
  run.fWriteSeconds = static_cast<double>(peer.StreamEndNs() - peer.StreamStartNs()) * 1e-9;
  run.nTicks = vecSamples.size();
  for (size_t i = 1; i < vecSamples.size(); ++i)
    run.fMaxGapMs =
        std::max(run.fMaxGapMs, static_cast<double>(vecSamples[i].nTimeNs - vecSamples[i - 1].nTimeNs) * 1e-6);
  if (!vecSamples.empty()) {
    run.nRecorded = vecSamples.back().nRecorded;
    auto recorded = std::find_if(vecSamples.begin(), vecSamples.end(),
                                 [&](const SSample& s) { return s.nRecorded == run.nRecorded; });
    run.fRecordSeconds = static_cast<double>(recorded->nTimeNs - peer.StreamStartNs()) * 1e-9;
    auto shown =
        std::find_if(vecSamples.begin(), vecSamples.end(), [&](const SSample& s) { return s.nShown >= run.nRecorded; });
    if (shown != vecSamples.end())
      run.fShownSeconds = static_cast<double>(shown->nTimeNs - peer.StreamStartNs()) * 1e-9;
  }

  // A write's delay ends when the view shows it.
  std::vector<double> vecDelays;
  size_t j = 0;
  for (const SChunk& chunk : peer.Chunks()) {
    while (j < vecSamples.size() && (vecSamples[j].nTimeNs < chunk.nTimeNs || vecSamples[j].nShown < chunk.nEnd)) ++j;
    if (j == vecSamples.size()) break;
    vecDelays.push_back(static_cast<double>(vecSamples[j].nTimeNs - chunk.nTimeNs) * 1e-6);
  }
  if (!vecDelays.empty()) {
    std::sort(vecDelays.begin(), vecDelays.end());
    run.fMaxDelayMs = vecDelays.back();
    run.fP99DelayMs = vecDelays[vecDelays.size() * 99 / 100];
  }
  run.check = CheckRecord(RecordText(hDlg), kind, run.nSent);
  if (bScroll) run.scroll = View().MeasureScrolling(hDlg);
  if (auto copy = View().CopyRecord(hDlg)) run.copyCheck = CheckRecord(*copy, kind, run.nSent);
  return run;
}

std::string TerminalRate(const SStreamRun& run) {
  if (run.nTerminalBytes == 0) return "-";
  return Number(static_cast<uint64_t>(static_cast<double>(run.nTerminalBytes) / run.fWallSeconds));
}

const char* KindName(EStreamKind kind) {
  return kind == EStreamKind::Lines ? "CR LF lines" : kind == EStreamKind::NoLines ? "no line breaks" : "text lines";
}

namespace {

// What a capture file holds of COM1's received stream.
struct SCaptureCheck {
  uint64_t nFileBytes = 0;
  uint64_t nDecoded = 0;     // received bytes of COM1
  uint64_t nMismatched = 0;  // of those, bytes that differ from the stream at their place
  uint64_t nMissed = 0;      // lines of the file itself: bytes it missed
  std::string strError;      // a line not in the format
};

// Decodes the text form line by line, so a large file needs no memory of its size; the raw
// form is the received bytes themselves.
SCaptureCheck CheckCapture(const std::string& strPath, EStreamKind kind, ECaptureForm form) {
  SCaptureCheck check;
  std::ifstream file(strPath, std::ios::binary);
  if (!file) {
    check.strError = "cannot read " + strPath;
    return check;
  }
  CBenchPattern pattern(kind);
  const auto compare = [&](const uint8_t* pData, size_t nCount) {
    for (size_t i = 0; i < nCount; ++i)
      if (pData[i] != pattern.Next()) ++check.nMismatched;
    check.nDecoded += nCount;
  };
  if (form == ECaptureForm::Raw) {
    std::vector<char> vecChunk(size_t{1} << 20);
    while (file.read(vecChunk.data(), static_cast<std::streamsize>(vecChunk.size())) || file.gcount() > 0)
      compare(reinterpret_cast<const uint8_t*>(vecChunk.data()), static_cast<size_t>(file.gcount()));
    check.nFileBytes = check.nDecoded;
    return check;
  }
  SCaptureLine line;
  std::string strLine;
  while (check.strError.empty() && std::getline(file, strLine)) {
    check.nFileBytes += strLine.size() + 1;
    if (!ParseCaptureLine(strLine, line, check.strError)) break;
    if (line.strPort == "-") ++check.nMissed;
    if (line.strPort == "COM1" && line.cDirection == '<') compare(line.vecBytes.data(), line.vecBytes.size());
  }
  return check;
}

}  // namespace

CCaptureComparison::CCaptureComparison(const std::string& strTitle)
    : m_table("Capture file: " + strTitle,
              {"stream", "form", "MiB", "rounds", "bytes lost without", "bytes lost with", "record", "file MiB",
               "decoded bytes", "file holds", "CPU s/MiB without", "CPU s/MiB with", "capture adds %",
               "capture thread s/MiB", "reader thread s/MiB without", "reader thread s/MiB with",
               "MiB/s into record without", "MiB/s into record with"}) {}

void CCaptureComparison::Run(HWND hDlg, CPtyPeer& peer, EStreamKind kind, ECaptureForm form, uint64_t nCount,
                             uint64_t nRate, const SStreamRun* pWithout, int nRounds) {
  const auto fMiB = [](const SStreamRun& run) { return static_cast<double>(run.nSent) / kMiB; };
  const auto median = [](std::vector<double> vec) {
    std::sort(vec.begin(), vec.end());
    return vec[vec.size() / 2];
  };
  const SStreamRun without = pWithout != nullptr ? *pWithout : StreamThrough(hDlg, peer, kind, nCount, nRate);
  std::vector<double> vecWithout{without.fCpuSeconds / fMiB(without)}, vecWith, vecThread;
  std::vector<double> vecReaderWithout{without.fReaderSeconds / fMiB(without)}, vecReaderWith;
  uint64_t nLostWithout = without.check.nMissing, nLostWith = 0;
  bool bRecordEqual = true, bFileEqual = true;
  SCaptureCheck check;
  SStreamRun with;
  for (int nRound = 0; nRound < nRounds; ++nRound) {
    if (nRound != 0) {
      const SStreamRun again = StreamThrough(hDlg, peer, kind, nCount, nRate);
      vecWithout.push_back(again.fCpuSeconds / fMiB(again));
      vecReaderWithout.push_back(again.fReaderSeconds / fMiB(again));
      nLostWithout += again.check.nMissing;
    }
    char szPath[] = "/tmp/quorvel-bench-capture-XXXXXX";
    const int nFd = mkstemp(szPath);
    if (nFd < 0) Die("mkstemp");
    close(nFd);
    if (StartCapture(szPath, form) != TOBREL_OK) Die("StartCapture");
    with = StreamThrough(hDlg, peer, kind, nCount, nRate);
    // What the capture still holds at the end is its work too.
    const double fCpu0 = CpuSeconds();
    const double fThread = ThreadCpuSeconds("quorvel capture");
    StopCapture();
    const double fStop = CpuSeconds() - fCpu0;
    with.fCpuSeconds += fStop;
    vecWith.push_back(with.fCpuSeconds / fMiB(with));
    vecThread.push_back((fThread + fStop) / fMiB(with));
    vecReaderWith.push_back(with.fReaderSeconds / fMiB(with));
    check = CheckCapture(szPath, kind, form);
    unlink(szPath);
    nLostWith += with.check.nMissing;
    bRecordEqual = bRecordEqual && with.check.nMissing == 0 && with.check.nExtra == 0 && with.check.nMismatched == 0;
    bFileEqual = bFileEqual && check.strError.empty() && check.nDecoded == with.nSent && check.nMismatched == 0 &&
                 check.nMissed == 0;
    if (!check.strError.empty()) std::fprintf(stderr, "bench: capture file: %s\n", check.strError.c_str());
  }
  const auto rate = [](const SStreamRun& run) {
    return run.fRecordSeconds > 0 ? Fixed(static_cast<double>(run.nRecorded) / kMiB / run.fRecordSeconds, 1) : "-";
  };
  const double fWithout = median(vecWithout);
  const double fWith = median(vecWith);
  m_table.AddRow({KindName(kind), form == ECaptureForm::Text ? "text" : "raw", Number(nCount / kMiB),
                  Number(static_cast<uint64_t>(nRounds)), Number(nLostWithout), Number(nLostWith),
                  bRecordEqual ? "equal" : "DIFFERS", Fixed(static_cast<double>(check.nFileBytes) / kMiB, 1),
                  Number(check.nDecoded), bFileEqual ? "every byte, in order" : "DIFFERS", Fixed(fWithout, 4),
                  Fixed(fWith, 4), Fixed(100 * (fWith - fWithout) / fWithout, 1), Fixed(median(vecThread), 4),
                  Fixed(median(vecReaderWithout), 4), Fixed(median(vecReaderWith), 4), rate(without), rate(with)});
}

void CCaptureComparison::Print() const {
  m_table.Print();
  std::printf(
      "To meet: the file holds every byte sent, in order, 0 bytes lost with it, and capture adds at most 10 %% to\n"
      "the CPU per MiB. The capture thread's own time, formatting and writing the file, is shown beside, and\n"
      "the port's reader thread without and with it: paced, its wakes vary from run to run by more than the\n"
      "capture costs.\n");
}

int IntOption(int argc, char** argv, std::string_view option, int nDefault) {
  for (int i = 1; i + 1 < argc; ++i)
    if (option == argv[i]) return std::max(1, std::atoi(argv[i + 1]));
  return nDefault;
}

bool HasFlag(int argc, char** argv, std::string_view flag) {
  for (int i = 1; i < argc; ++i)
    if (flag == argv[i]) return true;
  return false;
}

}  // namespace bench
