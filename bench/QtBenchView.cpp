// The Qt view, offscreen: its event loop runs the dialog and delivers the
// timer ticks, and every change reaches its widgets as it would on a desktop.
#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "BenchSupport.h"
#include "Dialog.h"
#include "QtView.h"
#include "TerminalApp.h"

namespace bench {

namespace {

class CQtBenchView final : public CView {
 public:
  void SetUp(int& argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    m_pApp = std::make_unique<QApplication>(argc, argv);
    m_pView = std::make_unique<qtview::CQtView>();
    m_pWake = std::make_unique<QTimer>();
    m_pWake->setSingleShot(true);
    m_pWake->setTimerType(Qt::PreciseTimer);
  }

  const char* Name() const override { return "Qt view offscreen"; }

  void Run(const std::function<void(HWND)>& scenario) override {
    // Runs once the view's modal loop has started.
    QTimer::singleShot(0, [&scenario] {
      HWND hDlg = theApp.m_pMainWnd->m_hWnd;
      scenario(hDlg);
      EndDialog(hDlg, IDOK);
    });
    AfxWinMain();
    // Qt ends before the process's static objects do.
    m_pWake.reset();
    m_pView.reset();
    m_pApp.reset();
  }

  bool RunEvents(int64_t nDeadlineNs) override {
    int64_t nLeftMs = (nDeadlineNs - NowNs()) / 1000000;
    m_pWake->start(static_cast<int>(std::max<int64_t>(0, nLeftMs)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return true;
  }

  void Settle() override { QCoreApplication::processEvents(); }

 private:
  std::unique_ptr<QApplication> m_pApp;
  std::unique_ptr<qtview::CQtView> m_pView;
  std::unique_ptr<QTimer> m_pWake;
};

CQtBenchView* g_pView = nullptr;

}  // namespace

CView& SetUpView(int& argc, char** argv) {
  static CQtBenchView view;
  view.SetUp(argc, argv);
  g_pView = &view;
  return view;
}

CView& View() { return *g_pView; }

}  // namespace bench
