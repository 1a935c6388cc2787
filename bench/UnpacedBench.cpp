// Unpaced: streams as fast as the pseudo-terminal carries them, through the
// receive poll.
//   bench_unpaced [--quick]    64 MiB of each kind; 8 MiB with --quick
//   bench_unpaced --text       the same with the text view on a pseudo-terminal
//   bench_unpaced_qt [--quick] the same with the Qt view offscreen
//   bench_unpaced_qt --long    also 1 GiB of CR LF lines (./benchmark runs it)
//   bench_unpaced --capture    each stream but the 1 GiB one again with the capture file on, and
//                              printable text lines, and binary in the raw form
//   bench_unpaced --ser2net    the streams through ser2net on loopback (COM1 is rfc2217://)
//   bench_unpaced --hex-times  with the receive record in hex form with times (with any of the above)
#include <cstdio>

#include "BenchPattern.h"
#include "BenchView.h"
#include "CaptureComparison.h"
#include "Machine.h"
#include "Options.h"
#include "PtyPeer.h"
#include "RecordCheck.h"
#include "Ser2netServer.h"
#include "StreamRun.h"
#include "Table.h"
#include "TerminalRun.h"
#include "Units.h"

using namespace bench;

namespace {

// An unpaced run's CPU varies with the load around it, so runs with and without the capture
// file take turns and the medians are compared.
constexpr int kCaptureRounds = 3;

std::string Rate(uint64_t nUnits, double fSeconds) {
  return fSeconds > 0 ? Fixed(static_cast<double>(nUnits) / kMiB / fSeconds, 1) : "-";
}

std::string CheckText(const std::optional<SRecordCheck>& check) {
  if (!check) return "-";
  return check->nMissing == 0 && check->nExtra == 0 && check->nMismatched == 0 ? "equal" : "DIFFERS";
}

}  // namespace

int main(int argc, char** argv) {
  const bool bLong = HasFlag(argc, argv, "--long");
  const bool bCapture = HasFlag(argc, argv, "--capture");
  const bool bHexTimes = HasFlag(argc, argv, "--hex-times");
  const uint64_t nCount = (HasFlag(argc, argv, "--quick") ? 8 : 64) * kMiB;
  const uint64_t nLongCount = 1024 * kMiB;
  CPtyPeer peer(static_cast<size_t>((bLong ? nLongCount : nCount) / 1024));
  const bool bSer2net = HasFlag(argc, argv, "--ser2net");
  CSer2net server(peer.Slave());
  if (bSer2net && !server.Start()) {
    std::fprintf(stderr, "bench: ser2net did not start (sudo apt-get install ser2net)\n");
    return 1;
  }
  CView& view = SetUpView(argc, argv);
  PrintMachine();
  CTable table("Unpaced: as fast as the pseudo-terminal carries it, " + std::string(view.Name()) +
                   (bSer2net ? ", through ser2net on loopback (RFC 2217)" : "") +
                   (bHexTimes ? ", the record in hex form with times" : ""),
               {"stream", "MiB", "bytes lost", "mismatched", "extra", "copy", "MiB/s into record", "MiB/s shown",
                "MiB/s written", "CPU s/MiB", "peak RSS MiB", "peak B per byte", "max delay ms", "key frame ms",
                "drag frame ms", "to terminal B/s", "times % of text"});
  CCaptureComparison capture("unpaced, " + std::string(view.Name()));
  RunTerminal(bSer2net ? server.Url() : peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    if (bHexTimes) ShowHexWithTimes(hDlg);
    std::vector<std::pair<EStreamKind, uint64_t>> runs = {{EStreamKind::Lines, nCount}, {EStreamKind::NoLines, nCount}};
    if (bLong) runs.emplace_back(EStreamKind::Lines, nLongCount);
    for (auto [kind, nBytes] : runs) {
      SStreamRun run = StreamThrough(hDlg, peer, kind, nBytes, 0, true);
      double fMiB = static_cast<double>(run.nSent) / kMiB;
      table.AddRow({KindName(kind), Number(nBytes / kMiB), Number(run.check.nMissing), Number(run.check.nMismatched),
                    Number(run.check.nExtra), CheckText(run.copyCheck), Rate(run.nRecorded, run.fRecordSeconds),
                    Rate(run.nRecorded, run.fShownSeconds), Fixed(fMiB / run.fWriteSeconds, 1),
                    Fixed(run.fCpuSeconds / fMiB, 4), Fixed(static_cast<double>(run.nPeakRss) / kMiB, 1),
                    Fixed(static_cast<double>(run.nPeakRss) / static_cast<double>(run.nSent), 3),
                    Fixed(run.fMaxDelayMs, 1), run.scroll ? Fixed(run.scroll->fKeysMs, 2) : "-",
                    run.scroll ? Fixed(run.scroll->fDragMs, 2) : "-", TerminalRate(run), TimesShare(run)});
      if (bCapture && nBytes == nCount)
        capture.Run(hDlg, peer, kind, ECaptureForm::Text, nBytes, 0, &run, kCaptureRounds);
    }
    // A line-oriented device's text, and binary in the raw form that is meant for it.
    if (bCapture) {
      capture.Run(hDlg, peer, EStreamKind::Text, ECaptureForm::Text, nCount, 0, nullptr, kCaptureRounds);
      capture.Run(hDlg, peer, EStreamKind::NoLines, ECaptureForm::Raw, nCount, 0, nullptr, kCaptureRounds);
    }
  });
  table.Print();
  if (bCapture) capture.Print();
  std::printf(
      "To meet: 0 bytes lost, record and copy equal to what was sent, at least 50 MiB/s into the record headless and\n"
      "shown with the Qt and the text view, whole process at most 1.2 bytes per received byte at 64 MiB (2.6 in hex\n"
      "form with times, the times at most 1 %% of the text), scroll frames\n"
      "under 20 ms; with the text view what reaches the terminal bounded by its size and the 20 refreshes a second,\n"
      "not by the data rate.\n");
  return 0;
}
