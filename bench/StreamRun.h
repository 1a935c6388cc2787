// One stream from the device through the terminal's receive poll, measured.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "BenchView.h"
#include "PtyPeer.h"
#include "RecordCheck.h"
#include "StreamPattern.h"
#include "WinTypes.h"

namespace bench {

// One stream through the terminal's receive poll, from an empty record.
struct SStreamRun {
  uint64_t nSent = 0;
  SRecordCheck check;
  std::optional<SRecordCheck> copyCheck;  // a copy of the whole record, where the view has one
  double fCpuSeconds = 0;                 // this process, while the stream ran and was shown
  double fReaderSeconds = 0;              // of that, COM1's reader thread
  std::optional<double> fDisplaySeconds;  // the display server's, over the same time
  double fWallSeconds = 0;                // over the same time
  uint64_t nRecorded = 0;                 // units in the record at the end
  double fRecordSeconds = 0;              // first byte written to the record's last growth
  double fShownSeconds = 0;               // first byte written until the view shows it all
  size_t nPeakRss = 0;                    // the whole process, while the stream ran
  size_t nRssBefore = 0;                  // the whole process, with the record empty
  std::optional<CView::SScrollFrames> scroll;
  double fWriteSeconds = 0;  // first byte written to last byte written
  double fMaxDelayMs = -1;   // a write's last byte reaching the pseudo-terminal to its showing
  double fP99DelayMs = -1;
  size_t nTicks = 0;
  double fMaxGapMs = 0;         // the longest time between two ticks
  uint64_t nTerminalBytes = 0;  // written to the person's terminal meanwhile
  size_t nTimesBytes = 0;       // the record's append times at the end
};
// Bytes a second to the person's terminal, or "-" for a view without one.
std::string TerminalRate(const SStreamRun& run);
// The record's append times as a percentage of its text's bytes.
std::string TimesShare(const SStreamRun& run);
// bScroll also measures scrolling through the full record.
SStreamRun StreamThrough(HWND hDlg, CPtyPeer& peer, EStreamKind kind, uint64_t nCount, uint64_t nRate,
                         bool bScroll = false);

}  // namespace bench
