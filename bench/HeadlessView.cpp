// The headless window system alone: the benchmark's own loop delivers ticks;
// or, with --text, the text view.
#include "BenchView.h"
#include "Options.h"
#include "TerminalRun.h"

namespace bench {

namespace {

class CHeadlessView final : public CView {
 public:
  const char* Name() const override { return "headless"; }
  void Run(const std::function<void(HWND)>& scenario) override { RunHeadless(scenario); }
  bool RunEvents(int64_t) override { return false; }
  void Settle() override {}
  size_t ShownLength(HWND hDlg) override { return RecordLength(hDlg); }
  std::optional<win::CTextRange> CopyRecord(HWND) override { return std::nullopt; }
  std::optional<SScrollFrames> MeasureScrolling(HWND) override { return std::nullopt; }
};

CHeadlessView g_headless;
CView* g_pView = &g_headless;

}  // namespace

CView& SetUpView(int& argc, char** argv) {
  if (HasFlag(argc, argv, "--text")) g_pView = &TextBenchView();
  return *g_pView;
}
CView& View() { return *g_pView; }

}  // namespace bench
