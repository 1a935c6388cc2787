// Paced line rate: a stream at 921600 baud 8N1 through the receive poll.
//   bench_paced [--quick]    8 MiB of each kind; 1 MiB with --quick
//   bench_paced --text       the same with the text view on a pseudo-terminal
//   bench_paced_qt [--quick] the same with the Qt view offscreen, or on an X server with
//                            QT_QPA_PLATFORM=xcb (xvfb-run -a), whose CPU is shown beside
//   bench_paced_qt --long    also ten minutes of CR LF lines (./benchmark runs it)
//   bench_paced --capture    each stream but the ten minutes again with the capture file on, and
//                            printable text lines; --rounds N runs each comparison N times
//   bench_paced --ser2net    the streams through ser2net on loopback (COM1 is rfc2217://)
//   bench_paced --hex-times  with the receive record in hex form with times (with any of the above)
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchPattern.h"
#include "BenchView.h"
#include "CaptureComparison.h"
#include "Machine.h"
#include "Options.h"
#include "PtyPeer.h"
#include "Ser2netServer.h"
#include "StreamRun.h"
#include "Table.h"
#include "TerminalRun.h"
#include "Units.h"

using namespace bench;

int main(int argc, char** argv) {
  const uint64_t nCount = (HasFlag(argc, argv, "--quick") ? 1 : 8) * kMiB;
  const bool bLong = HasFlag(argc, argv, "--long");
  const bool bCapture = HasFlag(argc, argv, "--capture");
  const bool bHexTimes = HasFlag(argc, argv, "--hex-times");
  // A paced run is long, so the capture comparison runs once unless asked for more.
  const int nRounds = IntOption(argc, argv, "--rounds", 1);
  const uint64_t nLongCount = kLineRate * 600;
  // One write every 2 ms at most.
  CPtyPeer peer(static_cast<size_t>((bLong ? nLongCount : nCount) * 1000 / kLineRate / 2 + 1000));
  const bool bSer2net = HasFlag(argc, argv, "--ser2net");
  CSer2net server(peer.Slave());
  if (bSer2net && !server.Start()) {
    std::fprintf(stderr, "bench: ser2net did not start (sudo apt-get install ser2net)\n");
    return 1;
  }
  CView& view = SetUpView(argc, argv);
  PrintMachine();
  CTable table("Paced: " + Number(nCount / kMiB) + " MiB at " + Number(kLineRate) + " B/s (921600 baud 8N1), " +
                   view.Name() + (bSer2net ? ", through ser2net on loopback (RFC 2217)" : "") +
                   (bHexTimes ? ", the record in hex form with times" : ""),
               {"stream", "bytes sent", "bytes lost", "mismatched", "extra", "max delay ms", "p99 delay ms",
                "longest tick gap ms", "CPU s/MiB", "% of one core", "of it reader %", "X server % of one core",
                "seconds", "peak RSS MiB", "growth B per byte", "to terminal B/s", "times % of text"});
  CCaptureComparison capture("paced at " + Number(kLineRate) + " B/s, " + std::string(view.Name()));
  RunTerminal(bSer2net ? server.Url() : peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    if (bHexTimes) ShowHexWithTimes(hDlg);
    std::vector<std::pair<EStreamKind, uint64_t>> runs = {{EStreamKind::Lines, nCount}, {EStreamKind::NoLines, nCount}};
    if (bLong) runs.emplace_back(EStreamKind::Lines, nLongCount);
    for (auto [kind, nBytes] : runs) {
      SStreamRun run = StreamThrough(hDlg, peer, kind, nBytes, kLineRate);
      double fMiB = static_cast<double>(run.nSent) / kMiB;
      table.AddRow({KindName(kind), Number(run.nSent), Number(run.check.nMissing), Number(run.check.nMismatched),
                    Number(run.check.nExtra), Fixed(run.fMaxDelayMs, 1), Fixed(run.fP99DelayMs, 1),
                    Fixed(run.fMaxGapMs, 1), Fixed(run.fCpuSeconds / fMiB, 4),
                    Fixed(100 * run.fCpuSeconds / run.fWallSeconds, 2),
                    Fixed(100 * run.fReaderSeconds / run.fWallSeconds, 2),
                    run.fDisplaySeconds ? Fixed(100 * *run.fDisplaySeconds / run.fWallSeconds, 2) : "-",
                    Fixed(run.fWallSeconds, 1), Fixed(static_cast<double>(run.nPeakRss) / kMiB, 1),
                    Fixed(static_cast<double>(run.nPeakRss - std::min(run.nPeakRss, run.nRssBefore)) /
                              static_cast<double>(run.nSent),
                          3),
                    TerminalRate(run), TimesShare(run)});
      if (bCapture && nBytes == nCount)
        capture.Run(hDlg, peer, kind, ECaptureForm::Text, nBytes, kLineRate, &run, nRounds);
    }
    if (bCapture) capture.Run(hDlg, peer, EStreamKind::Text, ECaptureForm::Text, nCount, kLineRate, nullptr, nRounds);
  });
  table.Print();
  if (bCapture) capture.Print();
  std::printf(
      "To meet: 0 bytes lost, max delay < 150 ms, at most 5 %% of one core headless, 1 %% with the text view "
      "and with the Qt view.\n");
  return 0;
}
