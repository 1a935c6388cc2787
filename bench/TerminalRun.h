// The terminal application run by a benchmark, and what it does and shows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "TextRange.h"
#include "WinTypes.h"

namespace bench {

// Runs the terminal application on real time, with COM1 mapped to
// strDevice; the scenario runs inside the dialog's modal loop, after which the
// dialog ends with IDOK.
void RunTerminal(const std::string& strDevice, const std::function<void(HWND)>& scenario);
// The modal run for a view that leaves the loop to the benchmark.
void RunHeadless(const std::function<void(HWND)>& scenario);

// Opens COM1 at 921600 baud; false (after saying why) when the open fails.
bool OpenPort(HWND hDlg);
size_t RecordLength(HWND hDlg);
win::CTextRange RecordText(HWND hDlg);
void ClearRecord(HWND hDlg);
// Shows the receive record in hex form with times, as its menu does.
void ShowHexWithTimes(HWND hDlg);
// Whether the receive record shows its text as it is, which a copy then gives.
bool RecordShowsText(HWND hDlg);
// Bytes the receive record's append times take.
size_t RecordTimesBytes(HWND hDlg);

}  // namespace bench
