// Auto-send at the 10 ms minimum period: ticks delivered against ticks
// expected, and the bytes that reached the other side.
//   bench_autosend [--quick]    60 s; 10 s with --quick
#include <cstdio>

#include "BenchView.h"
#include "Clock.h"
#include "Machine.h"
#include "Options.h"
#include "ProcessFigures.h"
#include "PtyPeer.h"
#include "Pump.h"
#include "Table.h"
#include "TerminalRun.h"
#include "TerminalState.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

using namespace bench;

namespace {

constexpr UINT_PTR kAutoSendTimer = 2;
constexpr int kPeriodMs = 10;
constexpr int kTerminatorCrLf = 4;

WNDPROC g_pDialogProc = nullptr;
uint64_t g_nAutoTicks = 0;
uint64_t g_nFailedSends = 0;

// Counts the auto-send ticks on their way to the dialog.
LRESULT CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kAutoSendTimer) {
    ++g_nAutoTicks;
    LRESULT nResult = g_pDialogProc(hWnd, message, wParam, lParam);
    if (g_terminalState.lastResult != 0) ++g_nFailedSends;
    return nResult;
  }
  return g_pDialogProc(hWnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t nSeconds = HasFlag(argc, argv, "--quick") ? 10 : 60;
  const std::u16string text = u"AUTO 0123456789";
  const std::string block = std::string(text.begin(), text.end()) + "\r\n";
  CPtyPeer peer(16);
  CView& view = SetUpView(argc, argv);
  PrintMachine();
  CTable table("Auto-send: every " + Number(kPeriodMs) + " ms for " + Number(static_cast<uint64_t>(nSeconds)) +
                   " s, a block of " + Number(block.size()) + " bytes, " + view.Name(),
               {"ticks expected", "ticks delivered", "% delivered", "blocks accepted", "sends refused",
                "bytes expected", "bytes on the wire", "mismatched", "CPU % of one core"});
  RunTerminal(peer.Slave(), [&](HWND hDlg) {
    if (!OpenPort(hDlg)) return;
    win::input::Edit(GetDlgItem(hDlg, IDC_EDIT_SEND), text);
    win::input::Pick(GetDlgItem(hDlg, IDC_COMBO_TERMINATOR), kTerminatorCrLf);
    win::input::Edit(GetDlgItem(hDlg, IDC_EDIT_INTERVAL), u"10");
    win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_SET));
    win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_CLEAR_SEND));
    g_pDialogProc = SetWindowProc(hDlg, CountingProc);
    peer.StartCount(block);

    const double fCpu0 = CpuSeconds();
    const int64_t nStart = NowNs();
    win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_START_AUTO));
    PumpTimers([] { return false; }, nStart + nSeconds * 1000000000);
    win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_STOP_AUTO));
    const double fElapsed = static_cast<double>(NowNs() - nStart) * 1e-9;
    const double fCpu = CpuSeconds() - fCpu0;
    SetWindowProc(hDlg, g_pDialogProc);

    CPtyPeer::SCount count = peer.StopCount(500);
    uint64_t nAccepted = GetWindowText(GetDlgItem(hDlg, IDC_EDIT_SEND_RECORD)).size() / text.size();
    uint64_t nExpected = static_cast<uint64_t>(nSeconds * 1000 / kPeriodMs);
    table.AddRow({Number(nExpected), Number(g_nAutoTicks),
                  Fixed(100.0 * static_cast<double>(g_nAutoTicks) / static_cast<double>(nExpected), 2),
                  Number(nAccepted), Number(g_nFailedSends), Number(nAccepted * block.size()), Number(count.nBytes),
                  Number(count.nMismatched), Fixed(100 * fCpu / fElapsed, 2)});
  });
  table.Print();
  std::printf("To meet: at least 95 %% of the expected ticks, every accepted block on the wire.\n");
  return 0;
}
