#pragma once

#include <cstdint>
#include <string>

#include "PtyPeer.h"
#include "StreamPattern.h"
#include "StreamRun.h"
#include "Table.h"
#include "TobrelCapture.h"
#include "WinTypes.h"

namespace bench {

// With --capture: each stream again with the serial library's capture file on (text form),
// beside the run without it (pWithout, or one made first); the file is decoded and compared
// with what was sent. With more than one round, runs without and with take turns, and the CPU
// figures are the medians.
class CCaptureComparison {
 public:
  explicit CCaptureComparison(const std::string& strTitle);
  void Run(HWND hDlg, CPtyPeer& peer, EStreamKind kind, ECaptureForm form, uint64_t nCount, uint64_t nRate,
           const SStreamRun* pWithout, int nRounds = 1);
  void Print() const;

 private:
  CTable m_table;
};

}  // namespace bench
