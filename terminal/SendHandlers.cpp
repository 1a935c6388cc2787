// Sending once and automatically, the interval, and Clear Send.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "TerminalDlg.h"
#include "TerminalState.h"
#include "TextConversion.h"
#include "Tobrel.h"

namespace {

// Bytes of one block; the buffer keeps room for a zero byte after it.
constexpr size_t kMaxBlock = sizeof(TerminalState::sendBytes) - 1;

std::string_view Terminator(int nIndex) {
  switch (nIndex) {
    case 1:
      return "\r";
    case 2:
      return "\n";
    case 3:
      return "\n\r";
    case 4:
      return "\r\n";
    default:
      return "";
  }
}

// Tells which character keeps a text from going out, so the person can mend it.
CString WideCharacterMessage(const CWideCharacter& wide) {
  char szRest[128];
  int nLength = std::snprintf(szRest, sizeof szRest,
                              "\" (U+%04X) at character %zu, which a serial line cannot carry as one byte: use "
                              "characters up to U+00FF",
                              static_cast<unsigned>(wide.codePoint), wide.nPosition);
  CString message(u"Send String holds \"");
  message += wide.units;
  message += std::u16string(szRest, szRest + nLength);
  return message;
}

}  // namespace

void CTerminalDlg::OnBnClickedSend() { SendText(); }

// A text too long for one block goes out as consecutive blocks, the
// terminator after the last; the first refused block stops the rest. A text
// with a character beyond one byte sends nothing and says which one it is.
void CTerminalDlg::SendText() {
  TerminalState& st = g_terminalState;
  CString text;
  m_editSend.GetWindowText(text);
  std::u16string_view rest = text.View();
  if (auto wide = FindWideCharacter(rest)) {
    m_strStatus = WideCharacterMessage(*wide);
    UpdateData(FALSE);
    return;
  }
  std::string_view terminator = Terminator(m_comboTerminator.GetCurSel());

  uint32_t nResult = 0;
  for (;;) {
    bool bLast = rest.size() + terminator.size() <= kMaxBlock;
    size_t n = bLast ? rest.size() : std::min(rest.size(), kMaxBlock);
    std::copy_n(rest.data(), n, st.sendText);
    st.sendText[n] = 0;
    for (size_t i = 0; i < n; ++i) st.sendBytes[i] = Narrow(st.sendText[i]);
    size_t nCount = n;
    if (bLast) {
      std::memcpy(st.sendBytes + n, terminator.data(), terminator.size());
      nCount += terminator.size();
    }
    st.sendBytes[nCount] = 0;

    nResult = Send_Binary(st.portNumber, st.sendBytes, static_cast<uint32_t>(nCount), 0);
    st.lastResult = nResult;
    if (nResult != 0) break;
    m_strSendRecord += std::u16string_view(st.sendText, n);
    rest.remove_prefix(n);
    if (bLast) break;
  }
  m_strStatus = GetSerialErrorMessage(nResult);
  UpdateData(FALSE);
}

void CTerminalDlg::OnBnClickedClearSend() {
  m_strSendRecord.Empty();
  UpdateData(FALSE);
}

void CTerminalDlg::OnBnClickedSet() {
  CString text;
  m_editInterval.GetWindowText(text);
  g_terminalState.autoSendInterval = ParseInterval(text.View());
}

void CTerminalDlg::OnBnClickedStartAuto() {
  SetTimer(kAutoSendTimer, static_cast<UINT>(g_terminalState.autoSendInterval), nullptr);
}

void CTerminalDlg::OnBnClickedStopAuto() { KillTimer(kAutoSendTimer); }
