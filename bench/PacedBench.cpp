// Paced line rate: a stream at 921600 baud 8N1 through the receive poll.
//   bench_paced [--quick]    8 MiB of each kind; 1 MiB with --quick
//   bench_paced --text       the same with the text view on a pseudo-terminal
//   bench_paced_qt [--quick] the same with the Qt view offscreen
#include <cstdio>

#include "BenchSupport.h"

using namespace bench;

int main(int argc, char** argv) {
  const uint64_t nCount = (HasFlag(argc, argv, "--quick") ? 1 : 8) * kMiB;
  // One write every 2 ms at most.
  CPtyPeer peer(static_cast<size_t>(nCount * 1000 / kLineRate / 2 + 1000));
  CView& view = SetUpView(argc, argv);
  PrintMachine();
  CTable table(
      "Paced: " + Number(nCount / kMiB) + " MiB at " + Number(kLineRate) + " B/s (921600 baud 8N1), " + view.Name(),
      {"stream", "bytes sent", "bytes lost", "mismatched", "extra", "max delay ms", "p99 delay ms",
       "longest tick gap ms", "CPU s/MiB", "% of one core", "seconds", "to terminal B/s"});
  RunTerminal(peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    for (EStreamKind kind : {EStreamKind::Lines, EStreamKind::NoLines}) {
      SStreamRun run = StreamThrough(hDlg, peer, kind, nCount, kLineRate);
      double fMiB = static_cast<double>(run.nSent) / kMiB;
      table.AddRow({KindName(kind), Number(run.nSent), Number(run.check.nMissing), Number(run.check.nMismatched),
                    Number(run.check.nExtra), Fixed(run.fMaxDelayMs, 1), Fixed(run.fP99DelayMs, 1),
                    Fixed(run.fMaxGapMs, 1), Fixed(run.fCpuSeconds / fMiB, 4),
                    Fixed(100 * run.fCpuSeconds / run.fWallSeconds, 2), Fixed(run.fWallSeconds, 1), TerminalRate(run)});
    }
  });
  table.Print();
  std::printf(
      "To meet: 0 bytes lost, max delay < 150 ms, at most 5 %% of one core headless, 1 %% with the text view, 15 %% "
      "with the Qt view.\n");
  return 0;
}
