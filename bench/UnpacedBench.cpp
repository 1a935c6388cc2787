// Unpaced: streams as fast as the pseudo-terminal carries them, through the
// receive poll.
//   bench_unpaced [--quick]    64 MiB of each kind; 8 MiB with --quick
//   bench_unpaced --text       the same with the text view on a pseudo-terminal
//   bench_unpaced_qt [--quick] the same with the Qt view offscreen
#include <cstdio>

#include "BenchSupport.h"

using namespace bench;

int main(int argc, char** argv) {
  const uint64_t nCount = (HasFlag(argc, argv, "--quick") ? 8 : 64) * kMiB;
  CPtyPeer peer(static_cast<size_t>(nCount / 1024));
  CView& view = SetUpView(argc, argv);
  PrintMachine();
  CTable table("Unpaced: " + Number(nCount / kMiB) + " MiB as fast as the pseudo-terminal carries it, " +
                   std::string(view.Name()),
               {"stream", "bytes sent", "bytes lost", "mismatched", "extra", "MiB/s into record", "MiB/s written",
                "CPU s/MiB", "ticks", "max delay ms", "RSS B/byte", "to terminal B/s"});
  RunTerminal(peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    for (EStreamKind kind : {EStreamKind::Lines, EStreamKind::NoLines}) {
      SStreamRun run = StreamThrough(hDlg, peer, kind, nCount, 0);
      double fMiB = static_cast<double>(run.nSent) / kMiB;
      table.AddRow({KindName(kind), Number(run.nSent), Number(run.check.nMissing), Number(run.check.nMismatched),
                    Number(run.check.nExtra),
                    run.fShownSeconds > 0 ? Fixed(static_cast<double>(run.nShown) / kMiB / run.fShownSeconds, 1) : "-",
                    Fixed(fMiB / run.fWriteSeconds, 1), Fixed(run.fCpuSeconds / fMiB, 4), Number(run.nTicks),
                    Fixed(run.fMaxDelayMs, 1), Fixed(static_cast<double>(run.nRssBytes) / run.nSent, 2),
                    TerminalRate(run)});
    }
  });
  table.Print();
  std::printf(
      "To meet: 0 bytes lost, at least 50 MiB/s into the record headless and with the text view, 5 MiB/s with the Qt "
      "view; with the text view at most 2.5 B of memory a byte received, and what reaches the terminal bounded by "
      "its size and the 20 refreshes a second, not by the data rate.\n");
  return 0;
}
