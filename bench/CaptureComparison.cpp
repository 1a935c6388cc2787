#include "CaptureComparison.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "BenchPattern.h"
#include "CaptureReader.h"
#include "Die.h"
#include "ProcessFigures.h"
#include "TobrelResults.h"
#include "Units.h"

namespace bench {

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

}  // namespace bench
