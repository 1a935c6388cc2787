#include "TickTime.h"

#include <sys/resource.h>

#include "BenchView.h"
#include "Clock.h"
#include "Tobrel.h"
#include "Window.h"

namespace bench {

namespace {

constexpr uint8_t kPort = 1;
constexpr UINT_PTR kReceivePollTimer = 1;

uint64_t MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return static_cast<uint64_t>(usage.ru_minflt);
}

}  // namespace

STick TimeTick(HWND hDlg, CPtyPeer& peer, uint64_t nBytes, uint64_t nSeed) {
  peer.StartStream(EStreamKind::Lines, nBytes, 0, nSeed);
  // Spins rather than sleeps, so the tick does not start on a core just woken from idle.
  while (!peer.StreamDone() || DataSizeInCom(kPort) < nBytes) {
  }
  STick tick;
  const uint64_t nFaults = MinorFaults();
  const int64_t nStart = NowNs();
  SendMessage(hDlg, WM_TIMER, kReceivePollTimer, 0);
  View().Settle();
  tick.nTimeNs = NowNs() - nStart;
  tick.nFaults = MinorFaults() - nFaults;
  tick.bAllRead = DataSizeInCom(kPort) == 0;
  return tick;
}

}  // namespace bench
