// Soak: 8 GiB of each stream unpaced through the pseudo-terminal into one
// record, whose older text moves to the store's file beyond the resident bound.
//   bench_soak [--quick]         8 GiB of CR LF lines and of no line breaks; 256 MiB with --quick
//   bench_soak --gib N           N GiB of each instead
//   bench_soak_qt [--quick]      the same with the Qt view offscreen
//   bench_soak[_qt] --full-disk  512 MiB of lines with the store's directory on a 96 MiB tmpfs,
//                                mounted in a user and mount namespace of the program's own
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchPattern.h"
#include "BenchView.h"
#include "Die.h"
#include "Machine.h"
#include "Options.h"
#include "PtyPeer.h"
#include "SmallDisk.h"
#include "StreamRun.h"
#include "Table.h"
#include "TerminalRun.h"
#include "TickTime.h"
#include "Units.h"
#include "Window.h"
#include "resource.h"

using namespace bench;

namespace {

constexpr uint64_t kTickBytes = 100;
constexpr int kTicks = 31;
constexpr const char* kSmallDisk = "96m";

// A small tmpfs as $XDG_CACHE_HOME, before any thread starts.
void MountStoreOnSmallDisk() {
  char szDir[] = "/tmp/quorvel-soak-XXXXXX";
  if (!mkdtemp(szDir)) Die("cannot make a directory for the small disk");
  if (!MountSmallDisk(szDir, kSmallDisk)) Die("cannot mount a small tmpfs in a user namespace");
  setenv("XDG_CACHE_HOME", szDir, 1);
  std::printf("The store's directory: a tmpfs of %s at %s\n", kSmallDisk, szDir);
}

double MedianTickUs(HWND hDlg, CPtyPeer& peer, uint64_t& nSeed) {
  std::vector<double> vecUs;
  for (int i = 0; i < kTicks; ++i) {
    STick tick = TimeTick(hDlg, peer, kTickBytes, ++nSeed);
    if (!tick.bAllRead) std::fprintf(stderr, "bench: a tick left bytes waiting\n");
    vecUs.push_back(static_cast<double>(tick.nTimeNs) * 1e-3);
  }
  std::sort(vecUs.begin(), vecUs.end());
  return vecUs[vecUs.size() / 2];
}

std::string CheckText(const std::optional<SRecordCheck>& check) {
  if (!check) return "-";
  return check->nMissing == 0 && check->nExtra == 0 && check->nMismatched == 0 ? "equal" : "DIFFERS";
}

size_t Count(const std::u16string& str, std::u16string_view part) {
  size_t n = 0;
  for (size_t i = str.find(part); i != std::u16string::npos; i = str.find(part, i + 1)) ++n;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bFullDisk = HasFlag(argc, argv, "--full-disk");
  if (bFullDisk) MountStoreOnSmallDisk();
  const uint64_t nCount =
      (bFullDisk                        ? 512
       : HasFlag(argc, argv, "--quick") ? 256
                                        : 1024 * static_cast<uint64_t>(IntOption(argc, argv, "--gib", 8))) *
      kMiB;
  // Delays are kept for the first million writes.
  CPtyPeer peer(static_cast<size_t>(std::min<uint64_t>(nCount / 1024, 1 << 20)));
  CView& view = SetUpView(argc, argv);
  PrintMachine();
  CTable table(
      "Soak: unpaced into one record beyond the resident bound, " + std::string(view.Name()) +
          (bFullDisk ? ", the store on a full disk" : ""),
      {"stream", "MiB", "bytes lost", "mismatched", "extra", "copy's last 64 MiB", "MiB/s shown", "peak RSS MiB",
       "tick us at 0", "tick us at end", "end / 0", "key frame ms", "drag frame ms", "store file MiB", "status line"});
  uint64_t nSeed = 1000;
  RunTerminal(peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    std::vector<EStreamKind> kinds = {EStreamKind::Lines};
    if (!bFullDisk) kinds.push_back(EStreamKind::NoLines);
    for (EStreamKind kind : kinds) {
      ClearRecord(hDlg);
      View().Settle();
      const double fTick0 = MedianTickUs(hDlg, peer, nSeed);
      SStreamRun run = StreamThrough(hDlg, peer, kind, nCount, 0, true);
      const double fTick1 = MedianTickUs(hDlg, peer, nSeed);
      const HWND hRecord = GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD);
      const uint64_t nStored = GetWindowTextShared(hRecord).View().Store()->StoredBytes();
      const std::u16string strStatus = GetWindowText(GetDlgItem(hDlg, IDC_EDIT_STATUS));
      const size_t nTold = Count(strStatus, u"no room left in");
      const double fShown = run.fShownSeconds > 0 ? static_cast<double>(run.nRecorded) / kMiB / run.fShownSeconds : 0;
      table.AddRow({KindName(kind), Number(nCount / kMiB), Number(run.check.nMissing), Number(run.check.nMismatched),
                    Number(run.check.nExtra), CheckText(run.copyCheck), Fixed(fShown, 1),
                    Fixed(static_cast<double>(run.nPeakRss) / kMiB, 1), Fixed(fTick0, 1), Fixed(fTick1, 1),
                    Fixed(fTick1 / fTick0, 2), run.scroll ? Fixed(run.scroll->fKeysMs, 2) : "-",
                    run.scroll ? Fixed(run.scroll->fDragMs, 2) : "-", Number(nStored / kMiB),
                    nTold == 0   ? "-"
                    : nTold == 1 ? "told once"
                                 : "TOLD " + std::to_string(nTold) + " TIMES"});
    }
  });
  table.Print();
  std::printf(
      "To meet: 0 bytes lost, record and copy equal to what was sent, peak RSS of the whole process at most 128 MiB,\n"
      "at least 50 MiB/s shown, a tick at the end at most 2x a tick at 0, frames under 20 ms; on a full disk 0 lost\n"
      "and the status line telling once that the record keeps growing in memory.\n");
  return 0;
}
