// The text view, on a pseudo-terminal as the person's terminal of 80 x 24
// cells: a separate process drains its master side and counts the bytes the
// view writes, so that its work is not counted as the terminal's.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"
#include "Dialog.h"
#include "TerminalApp.h"
#include "TextView.h"
#include "Window.h"

namespace bench {

namespace {

class CTextBenchView final : public CView {
 public:
  ~CTextBenchView() override {
    if (m_nPid > 0) {
      kill(m_nPid, SIGTERM);
      waitpid(m_nPid, nullptr, 0);
    }
  }

  // Before any thread starts: the drain is a forked process.
  void SetUp() {
    int nMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (nMaster < 0 || grantpt(nMaster) != 0 || unlockpt(nMaster) != 0) Fail("no pseudo-terminal");
    winsize ws{};
    ws.ws_col = 80;
    ws.ws_row = 24;
    ioctl(nMaster, TIOCSWINSZ, &ws);
    int nSlave = open(ptsname(nMaster), O_RDWR | O_NOCTTY);
    if (nSlave < 0) Fail("cannot open the pseudo-terminal's slave");
    void* p = mmap(nullptr, sizeof(std::atomic<uint64_t>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) Fail("mmap");
    m_pDrained = new (p) std::atomic<uint64_t>(0);
    m_nPid = fork();
    if (m_nPid < 0) Fail("fork");
    if (m_nPid == 0) {
      close(nSlave);
      char buffer[65536];
      for (;;) {
        ssize_t n = read(nMaster, buffer, sizeof buffer);
        if (n <= 0) _exit(0);
        m_pDrained->fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
      }
    }
    close(nMaster);
    setenv("TERM", "xterm-256color", 1);
    std::string strError;
    if (!m_view.Start(fdopen(nSlave, "r"), fdopen(dup(nSlave), "w"), &strError)) Fail(strError.c_str());
  }

  const char* Name() const override { return "text view, 80 x 24"; }

  void Run(const std::function<void(HWND)>& scenario) override {
    class CHost final : public win::CModalHost {
     public:
      CHost(tui::CTextView& view, const std::function<void(HWND)>& scenario) : m_rView(view), m_scenario(scenario) {}
      void RunModalLoop(HWND hDlg) override {
        m_rView.BeginModal(hDlg);
        m_scenario(hDlg);
        if (!IsDialogEnded(hDlg)) EndDialog(hDlg, IDOK);
        m_rView.EndModal();
      }

     private:
      tui::CTextView& m_rView;
      const std::function<void(HWND)>& m_scenario;
    } host(m_view, scenario);
    win::SetModalHost(&host);
    AfxWinMain();
    m_view.Stop();
  }

  bool RunEvents(int64_t nDeadlineNs) override {
    m_view.Turn(static_cast<int>(std::max<int64_t>(0, (nDeadlineNs - NowNs()) / 1000000)));
    return true;
  }

  void Settle() override { m_view.Draw(); }
  uint64_t TerminalBytes() const override { return m_pDrained->load(std::memory_order_relaxed); }

 private:
  [[noreturn]] static void Fail(const char* pszWhat) {
    std::fprintf(stderr, "bench: %s\n", pszWhat);
    std::exit(1);
  }

  tui::CTextView m_view;
  std::atomic<uint64_t>* m_pDrained = nullptr;
  pid_t m_nPid = -1;
};

}  // namespace

CView& TextBenchView() {
  static CTextBenchView view;
  view.SetUp();
  return view;
}

}  // namespace bench
