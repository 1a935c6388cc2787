#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "TextRange.h"
#include "WinTypes.h"

namespace bench {

// Units of a copy read as a paste reads it; a larger copy is read as the
// clipboard holds it, and checked over its last kLargeCopy units.
constexpr uint64_t kLargeCopy = uint64_t{64} << 20;

// What shows the terminal: the headless window system alone, or a view whose
// event loop runs the dialog and delivers its timer ticks.
class CView {
 public:
  virtual ~CView() = default;
  virtual const char* Name() const = 0;
  // Runs AfxWinMain; scenario(hDlg) runs inside the dialog's modal loop.
  virtual void Run(const std::function<void(HWND)>& scenario) = 0;
  // Delivers whatever ticks and view work fall due before the deadline, or
  // returns sooner; false when ticks are left to PumpTimers.
  virtual bool RunEvents(int64_t nDeadlineNs) = 0;
  // Finishes the view's work on what has changed.
  virtual void Settle() = 0;
  // Bytes the view has written to the person's terminal, for a view that has one.
  virtual uint64_t TerminalBytes() const { return 0; }
  // The CPU seconds of the display server the view draws on, where it is one of this
  // machine's processes (a local X server): what the person's machine pays beside this
  // process. Nothing for a view without one.
  virtual std::optional<double> DisplayCpuSeconds() const { return std::nullopt; }
  // Units of the receive record the view shows, or could scroll to without
  // further work.
  virtual size_t ShownLength(HWND hDlg) = 0;
  // What a person gets who selects the whole receive record and copies it;
  // nothing when the view has no clipboard.
  virtual std::optional<win::CTextRange> CopyRecord(HWND hDlg) = 0;
  // The longest frames while the receive record is scrolled from top to end
  // and back by keys, and while its scroll bar is dragged; nothing when the
  // view draws nothing.
  struct SScrollFrames {
    double fKeysMs = 0;
    double fDragMs = 0;
    size_t nFrames = 0;
  };
  virtual std::optional<SScrollFrames> MeasureScrolling(HWND hDlg) = 0;
};
// The view each benchmark program is linked with, set up from its command
// line: --text picks the text view where the program has the headless one.
CView& SetUpView(int& argc, char** argv);
CView& View();
CView& TextBenchView();

}  // namespace bench
