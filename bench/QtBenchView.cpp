// The Qt view, offscreen or on an X server (QT_QPA_PLATFORM=xcb, as under xvfb-run): its
// event loop runs the dialog and delivers the timer ticks, and every change reaches its
// widgets as it would on a desktop.
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "BenchView.h"
#include "Clock.h"
#include "Dialog.h"
#include "ProcessFigures.h"
#include "QtText.h"
#include "QtView.h"
#include "RangeMimeData.h"
#include "RecordWindow.h"
#include "TerminalApp.h"
#include "resource.h"

namespace bench {

namespace {

// The process id of the X server on this machine that DISPLAY (":99", ":99.0") names, from
// the lock file every X server keeps; none for a server elsewhere.
std::optional<int> LocalXServer() {
  const char* pszDisplay = std::getenv("DISPLAY");
  if (pszDisplay == nullptr || pszDisplay[0] != ':') return std::nullopt;
  std::ifstream lock("/tmp/.X" + std::to_string(std::atoi(pszDisplay + 1)) + "-lock");
  int nPid = 0;
  if (!(lock >> nPid) || nPid <= 0) return std::nullopt;
  return nPid;
}

class CQtBenchView final : public CView {
 public:
  void SetUp(int& argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    m_pApp = std::make_unique<QApplication>(argc, argv);
    m_strName = "Qt view " + QGuiApplication::platformName().toStdString();
    if (QGuiApplication::platformName() == "xcb") {
      m_nXServer = LocalXServer();
      std::string strServer = "an X server";
      if (m_nXServer) std::getline(std::ifstream("/proc/" + std::to_string(*m_nXServer) + "/comm"), strServer);
      m_strName = "Qt view on " + strServer + " " + std::getenv("DISPLAY");
    }
    m_pView = std::make_unique<qtview::CQtView>();
    m_pWake = std::make_unique<QTimer>();
    m_pWake->setSingleShot(true);
    m_pWake->setTimerType(Qt::PreciseTimer);
  }

  const char* Name() const override { return m_strName.c_str(); }

  std::optional<double> DisplayCpuSeconds() const override {
    return m_nXServer ? ProcessCpuSeconds(*m_nXServer) : std::nullopt;
  }

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

  size_t ShownLength(HWND hDlg) override { return Record(hDlg)->ShownLength(); }

  // Up to 64 MiB as a paste reads it; a larger copy as the clipboard holds it.
  std::optional<win::CTextRange> CopyRecord(HWND hDlg) override {
    qtview::CRecordWindow* pRecord = Record(hDlg);
    QApplication::clipboard()->clear();
    QTest::keyClick(pRecord, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pRecord, Qt::Key_C, Qt::ControlModifier);
    const auto* pData = dynamic_cast<const qtview::CRangeMimeData*>(QApplication::clipboard()->mimeData());
    if (!pData) return std::nullopt;
    win::CTextRange copy = pData->Text();
    if (copy.size() <= kLargeCopy) copy = win::CTextRange(qtview::ToU16(QApplication::clipboard()->text()));
    QApplication::clipboard()->clear();
    QTest::keyClick(pRecord, Qt::Key_Home, Qt::ControlModifier);
    return copy;
  }

  std::optional<SScrollFrames> MeasureScrolling(HWND hDlg) override {
    qtview::CRecordWindow* pRecord = Record(hDlg);
    QWidget* pViewport = pRecord->viewport();
    SScrollFrames frames;
    // One frame: the person's action and the drawing it causes.
    auto frame = [&](double& fMaxMs, const std::function<void()>& action) {
      int64_t nStart = NowNs();
      action();
      pViewport->repaint();
      fMaxMs = std::max(fMaxMs, static_cast<double>(NowNs() - nStart) * 1e-6);
      ++frames.nFrames;
    };
    pRecord->setFocus();
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_End, Qt::Key_Home})
      frame(frames.fKeysMs, [&] { QTest::keyClick(pRecord, key, Qt::ControlModifier); });
    // Pages down and up at both ends, where the rows are laid out afresh.
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp}) {
      for (int i = 0; i < 50; ++i) frame(frames.fKeysMs, [&] { QTest::keyClick(pRecord, key); });
    }
    QTest::keyClick(pRecord, Qt::Key_End, Qt::ControlModifier);
    for (Qt::Key key : {Qt::Key_PageUp, Qt::Key_PageDown}) {
      for (int i = 0; i < 50; ++i) frame(frames.fKeysMs, [&] { QTest::keyClick(pRecord, key); });
    }
    // The scroll bar's handle dragged from top to end and back.
    QScrollBar* pBar = pRecord->verticalScrollBar();
    constexpr int kSteps = 200;
    pBar->setSliderDown(true);
    for (int i = 0; i <= 2 * kSteps; ++i) {
      int nStep = i <= kSteps ? i : 2 * kSteps - i;
      int nPosition = static_cast<int>(static_cast<int64_t>(pBar->maximum()) * nStep / kSteps);
      frame(frames.fDragMs, [&] { pBar->setSliderPosition(nPosition); });
    }
    pBar->setSliderDown(false);
    return frames;
  }

 private:
  qtview::CRecordWindow* Record(HWND hDlg) const {
    return dynamic_cast<qtview::CRecordWindow*>(m_pView->Widget(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)));
  }

  std::string m_strName;
  std::optional<int> m_nXServer;
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
