// Growth: the cost of one receive tick that brings 100 bytes of CR LF lines, and the memory
// per received byte, as the receive record grows to 64 MiB.
//   bench_growth [--quick] [Google Benchmark flags]    --quick is the same run
//   bench_growth_qt ...    the same with the Qt view offscreen, its work on each change counted
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "BenchView.h"
#include "Clock.h"
#include "Machine.h"
#include "ProcessFigures.h"
#include "PtyPeer.h"
#include "Pump.h"
#include "Resource.h"
#include "StreamRun.h"
#include "Table.h"
#include "TerminalRun.h"
#include "TickTime.h"
#include "Tobrel.h"
#include "Units.h"
#include "Window.h"
#include "resource.h"

using namespace bench;

namespace {

constexpr uint8_t kPort = 1;
constexpr uint64_t kTickBytes = 100;

struct SSize {
  bool bFilled = false;
  size_t nLength = 0;       // when the ticks began
  size_t nRecordBytes = 0;  // the record's storage
  size_t nRssDelta = 0;     // over the process with an empty record
  size_t nHeapFree = 0;     // freed by the allocator but still resident
  std::vector<double> vecTickUs;
  uint64_t nFaults = 0;  // page faults during the ticks
};

class CGrowth {
 public:
  CGrowth(HWND hDlg, CPtyPeer& peer) : m_hDlg(hDlg), m_peer(peer) {}

  // The record is empty, the port's receive buffer already touched in full.
  void TakeBaseline() { m_nBaselineRss = RssBytes(); }

  void Tick(benchmark::State& state, uint64_t nMiB) {
    SSize& size = m_sizes[nMiB];
    if (!size.bFilled) {
      size.bFilled = true;
      FillTo(nMiB * kMiB);
      size.nLength = RecordLength(m_hDlg);
      size.nRecordBytes = GetWindowTextShared(GetDlgItem(m_hDlg, IDC_EDIT_RECEIVE_RECORD)).ResidentBytes();
      size.nRssDelta = RssBytes() - std::min(RssBytes(), m_nBaselineRss);
      size.nHeapFree = mallinfo2().fordblks;
    }
    for (auto _ : state) {
      const STick tick = TimeTick(m_hDlg, m_peer, kTickBytes, ++m_nSeed);
      size.nFaults += tick.nFaults;
      state.SetIterationTime(static_cast<double>(tick.nTimeNs) * 1e-9);
      size.vecTickUs.push_back(static_cast<double>(tick.nTimeNs) * 1e-3);
    }
    if (DataSizeInCom(kPort) != 0) state.SkipWithError("the tick left bytes waiting");
  }

  void Print() const {
    CTable table(std::string("Growth: one receive tick bringing 100 bytes, and memory, ") + View().Name(),
                 {"record MiB", "record units", "ticks", "p10 us", "median us", "p90 us", "mean us", "max us",
                  "median / at 0", "faults per tick", "storage B per byte", "RSS delta B per byte", "free heap MiB"});
    double fBase = 0;
    for (const auto& [nMiB, size] : m_sizes) {
      std::vector<double> vec = size.vecTickUs;
      if (vec.empty()) continue;
      std::sort(vec.begin(), vec.end());
      double fMedian = vec[vec.size() / 2];
      double fMean = 0;
      for (double f : vec) fMean += f;
      fMean /= static_cast<double>(vec.size());
      if (nMiB == 0) fBase = fMedian;
      double fLength = static_cast<double>(size.nLength);
      table.AddRow({Number(nMiB), Number(size.nLength), Number(vec.size()), Fixed(vec[vec.size() / 10], 2),
                    Fixed(fMedian, 2), Fixed(vec[vec.size() * 9 / 10], 2), Fixed(fMean, 2), Fixed(vec.back(), 1),
                    fBase > 0 ? Fixed(fMedian / fBase, 2) : "-",
                    Fixed(static_cast<double>(size.nFaults) / static_cast<double>(vec.size()), 3),
                    size.nLength ? Fixed(static_cast<double>(size.nRecordBytes) / fLength, 3) : "-",
                    size.nLength ? Fixed(static_cast<double>(size.nRssDelta) / fLength, 3) : "-",
                    Fixed(static_cast<double>(size.nHeapFree) / kMiB, 1)});
    }
    table.Print();
    std::printf("To meet: a tick at 64 MiB at most 2x a tick at 0; the model at most 2.1 bytes per received byte.\n");
  }

 private:
  // In pieces a view can take within a tick or two, so the port's receive
  // buffer never fills.
  void FillTo(uint64_t nTarget) {
    constexpr uint64_t kPiece = 4 * kMiB;
    for (size_t nHave = RecordLength(m_hDlg); nHave < nTarget; nHave = RecordLength(m_hDlg)) {
      uint64_t nGoal = std::min<uint64_t>(nTarget, nHave + kPiece);
      m_peer.StartStream(EStreamKind::Lines, nGoal - nHave, 0, ++m_nSeed);
      PumpTimers([&] { return RecordLength(m_hDlg) >= nGoal; }, NowNs() + int64_t{60} * 1000000000);
      if (RecordLength(m_hDlg) < nGoal) return;
    }
  }

  HWND m_hDlg;
  CPtyPeer& m_peer;
  size_t m_nBaselineRss = 0;
  // Every piece different, as a device's output is.
  uint64_t m_nSeed = 0;
  std::map<uint64_t, SSize> m_sizes;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> vecArgs;
  for (int i = 0; i < argc; ++i)
    if (std::string_view(argv[i]) != "--quick") vecArgs.push_back(argv[i]);
  int nArgs = static_cast<int>(vecArgs.size());
  CPtyPeer peer(size_t{1} << 12);
  SetUpView(nArgs, vecArgs.data());
  benchmark::Initialize(&nArgs, vecArgs.data());
  PrintMachine();
  RunTerminal(peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    // Touches every page of the port's receive buffer, so the baseline holds it.
    StreamThrough(hDlg, peer, EStreamKind::NoLines, 16 * kMiB, 0);
    ClearRecord(hDlg);
    CGrowth growth(hDlg, peer);
    growth.TakeBaseline();
    for (uint64_t nMiB : {0, 1, 16, 64}) {
      benchmark::RegisterBenchmark(("receive tick, record " + Number(nMiB) + " MiB").c_str(),
                                   [&growth, nMiB](benchmark::State& state) { growth.Tick(state, nMiB); })
          ->UseManualTime()
          ->Iterations(300)
          ->Repetitions(3)
          ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    growth.Print();
  });
  benchmark::Shutdown();
  return 0;
}
