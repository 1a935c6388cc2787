// The text view, on a pseudo-terminal as the person's terminal of 80 x 24
// cells: a separate process drains its master side and counts the bytes the
// view writes, so that its work is not counted as the terminal's. The
// person's keys and clicks are written to the master side as a terminal
// sends them.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "BenchView.h"
#include "Clock.h"
#include "Dialog.h"
#include "PtyMaster.h"
#include "RecordCell.h"
#include "TerminalApp.h"
#include "TextView.h"
#include "Window.h"
#include "resource.h"

namespace bench {

namespace {

class CTextBenchView final : public CView {
 public:
  ~CTextBenchView() override {
    if (m_nPid > 0) {
      kill(m_nPid, SIGTERM);
      waitpid(m_nPid, nullptr, 0);
    }
    if (m_nMaster >= 0) close(m_nMaster);
  }

  // Before any thread starts: the drain is a forked process.
  void SetUp() {
    const std::optional<SPtyMaster> pty = OpenPtyMaster();
    if (!pty) Fail("no pseudo-terminal");
    const int nMaster = pty->nFd;
    winsize ws{};
    ws.ws_col = 80;
    ws.ws_row = 24;
    ioctl(nMaster, TIOCSWINSZ, &ws);
    int nSlave = open(pty->strSlave.c_str(), O_RDWR | O_NOCTTY);
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
    m_nMaster = nMaster;
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
      void RunMenuLoop(HMENU hMenu) override { m_rView.RunMenuLoop(hMenu); }

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

  size_t ShownLength(HWND hDlg) override {
    auto* pRecord = dynamic_cast<tui::CRecordCell*>(m_view.Find(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)));
    return pRecord ? pRecord->ShownLength() : 0;
  }

  // The terminal's clipboard is reached through OSC 52 only, which takes far
  // less than a whole record.
  std::optional<win::CTextRange> CopyRecord(HWND) override { return std::nullopt; }

  // Keys as xterm sends them; the scroll bar has no handle to drag, so its
  // clicks, which page towards them, stand for the drag.
  std::optional<SScrollFrames> MeasureScrolling(HWND hDlg) override {
    tui::CCellWindow* pRecord = m_view.Find(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD));
    if (!pRecord) return std::nullopt;
    SScrollFrames frames;
    auto frame = [&](double& fMaxMs, const std::string& strInput) {
      int64_t nStart = NowNs();
      if (write(m_nMaster, strInput.data(), strInput.size()) != static_cast<ssize_t>(strInput.size()))
        Fail("cannot write to the pseudo-terminal");
      m_view.Turn(1000);
      m_view.Draw();
      fMaxMs = std::max(fMaxMs, static_cast<double>(NowNs() - nStart) * 1e-6);
      ++frames.nFrames;
    };
    const tui::SCellRect rect = pRecord->Rect();
    // A click at the box's text focuses it; mouse reports count from 1.
    auto click = [](int x, int y) {
      std::string strAt = std::to_string(x + 1) + ";" + std::to_string(y + 1);
      return "\033[<0;" + strAt + "M\033[<0;" + strAt + "m";
    };
    frame(frames.fKeysMs, click(rect.x, rect.y));
    for (const char* pszKey : {"\033OH", "\033OF", "\033OH"}) frame(frames.fKeysMs, pszKey);
    for (const char* pszKey : {"\033[6~", "\033[5~"}) {
      for (int i = 0; i < 50; ++i) frame(frames.fKeysMs, pszKey);
    }
    frame(frames.fKeysMs, "\033OF");
    for (const char* pszKey : {"\033[5~", "\033[6~"}) {
      for (int i = 0; i < 50; ++i) frame(frames.fKeysMs, pszKey);
    }
    // From the end, clicks above the thumb page up; from the top, clicks
    // below it page down.
    const int xBar = rect.x + rect.cx - 1;
    for (int y : {rect.y, rect.y + rect.cy - 1}) {
      double fIgnored = 0;
      frame(fIgnored, y == rect.y ? "\033OF" : "\033OH");
      for (int i = 0; i < 50; ++i) frame(frames.fDragMs, click(xBar, y));
    }
    return frames;
  }

 private:
  [[noreturn]] static void Fail(const char* pszWhat) {
    std::fprintf(stderr, "bench: %s\n", pszWhat);
    std::exit(1);
  }

  tui::CTextView m_view;
  std::atomic<uint64_t>* m_pDrained = nullptr;
  pid_t m_nPid = -1;
  int m_nMaster = -1;
};

}  // namespace

CView& TextBenchView() {
  static CTextBenchView view;
  view.SetUp();
  return view;
}

}  // namespace bench
