#include "StreamRun.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "Clock.h"
#include "ProcessFigures.h"
#include "Pump.h"
#include "Table.h"
#include "TerminalRun.h"

namespace bench {

// The thread that reads COM1, the benchmarks' port, beside the dialog.
constexpr std::string_view kReaderThread = "quorvel COM1 rx";

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
  const std::optional<double> fDisplay0 = View().DisplayCpuSeconds();
  // A minute more than the stream takes at its rate, or unpaced at 4 MiB/s, so a long
  // stream on a busy machine is measured whole.
  constexpr uint64_t kSlowestUnpaced = 4 << 20;
  int64_t nDeadline = nWall0 + 60 * kSecond;
  nDeadline += static_cast<int64_t>(nCount / (nRate != 0 ? nRate : kSlowestUnpaced)) * kSecond;
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
  const std::optional<double> fDisplay1 = View().DisplayCpuSeconds();
  const int64_t nWall1 = NowNs();
  run.nPeakRss = PeakRssBytes();

  run.nTerminalBytes = View().TerminalBytes() - nTerminal0;
  run.nSent = peer.Written();
  run.fCpuSeconds = fCpu1 - fCpu0;
  run.fReaderSeconds = ThreadCpuSeconds(kReaderThread) - fReader0;
  if (fDisplay0 && fDisplay1) run.fDisplaySeconds = *fDisplay1 - *fDisplay0;
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
  run.nTimesBytes = RecordTimesBytes(hDlg);
  if (bScroll) run.scroll = View().MeasureScrolling(hDlg);
  // In another form a copy gives what is shown, not what was sent.
  if (!RecordShowsText(hDlg)) return run;
  // A copy of the whole record, checked over its last 64 MiB at most.
  if (auto copy = View().CopyRecord(hDlg))
    run.copyCheck = CheckRecord(*copy, kind, run.nSent, run.nSent - std::min(run.nSent, kLargeCopy));
  return run;
}

std::string TimesShare(const SStreamRun& run) {
  if (run.nRecorded == 0) return "-";
  return Fixed(100.0 * static_cast<double>(run.nTimesBytes) / static_cast<double>(run.nRecorded * sizeof(char16_t)), 3);
}

std::string TerminalRate(const SStreamRun& run) {
  if (run.nTerminalBytes == 0) return "-";
  return Number(static_cast<uint64_t>(static_cast<double>(run.nTerminalBytes) / run.fWallSeconds));
}

}  // namespace bench
