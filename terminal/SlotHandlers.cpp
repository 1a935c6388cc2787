// The module slot and the two module queries.
#include <cstring>

#include "PallixSDK.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "TextConversion.h"
#include "Tobrel.h"

namespace {

constexpr uint16_t kReplyTimeout = 100;

}  // namespace

void CTerminalDlg::OnCbnSelchangeSlot() { SwitchSlot(static_cast<uint8_t>(m_comboSlot.GetCurSel() + 1)); }

// A switch that failed is shown, since the next query would reach the module
// of another slot; one that worked, or had no backplane to switch, changes
// nothing on the screen.
void CTerminalDlg::SwitchSlot(uint8_t nSlot) {
  uint32_t nResult = ChangeSlotToKestra(nSlot);
  if (nResult == PALLIX_OK || nResult == PALLIX_NO_BACKPLANE) return;
  m_strStatus = GetPallixMessage(nResult);
  UpdateData(FALSE);
}

void CTerminalDlg::OnBnClickedScanQuery() {
  // Cleared, so that a failed exchange appends nothing.
  char reply[TOBREL_REPLY_SIZE] = {};
  uint32_t nElapsed = 0;
  Send_Receive_Cmd(g_terminalState.portNumber, "@01FF", reply, kReplyTimeout, 0, &nElapsed, 0);
  AppendReply(reply, sizeof reply);
}

void CTerminalDlg::OnBnClickedNameQuery() {
  char command[TOBREL_REPLY_SIZE] = "$00M";
  char reply[TOBREL_REPLY_SIZE] = {};
  Send_Cmd(g_terminalState.portNumber, command, 0, 0);
  uint32_t nElapsed = 0;
  Receive_Cmd(g_terminalState.portNumber, reply, kReplyTimeout, 0, &nElapsed);
  AppendReply(reply, sizeof reply);
}

// Appends a NUL-terminated reply, bounded at the end of its buffer.
void CTerminalDlg::AppendReply(const char* reply, size_t nSize) {
  TerminalState& st = g_terminalState;
  size_t nLength = strnlen(reply, nSize);
  std::memset(st.receiveText, 0, sizeof st.receiveText);
  for (size_t i = 0; i < nLength; ++i) st.receiveText[i] = Widen(static_cast<uint8_t>(reply[i]));
  m_strReceiveRecord += std::u16string_view(st.receiveText, nLength);
  UpdateData(FALSE);
}
