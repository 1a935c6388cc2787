// The headless window system alone: the benchmark's own loop delivers ticks.
#include "BenchSupport.h"

namespace bench {

namespace {

class CHeadlessView final : public CView {
 public:
  const char* Name() const override { return "headless"; }
  void Run(const std::function<void(HWND)>& scenario) override { RunHeadless(scenario); }
  bool RunEvents(int64_t) override { return false; }
  void Settle() override {}
};

CHeadlessView g_view;

}  // namespace

CView& SetUpView(int&, char**) { return g_view; }
CView& View() { return g_view; }

}  // namespace bench
