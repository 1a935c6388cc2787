// One receive tick, timed: nBytes of CR LF lines wait in the port, then the
// poll's timer message reads them and the view settles.
#pragma once

#include <cstdint>

#include "PtyPeer.h"
#include "WinTypes.h"

namespace bench {

struct STick {
  int64_t nTimeNs = 0;
  uint64_t nFaults = 0;  // minor page faults of the thread meanwhile
  bool bAllRead = true;  // nothing was left waiting
};
STick TimeTick(HWND hDlg, CPtyPeer& peer, uint64_t nBytes, uint64_t nSeed);

}  // namespace bench
