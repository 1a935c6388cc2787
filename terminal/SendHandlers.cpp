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

// The library's message counts one block: a send of more than one is told whole.
// Done, it keeps where the library says the bytes go.
CString SendSummary(const CString& blockMessage, uint8_t nPort, bool bDone, size_t nSent, size_t nTotal) {
  if (!bDone) {
    std::string str =
        " Only the first " + std::to_string(nSent) + " of its " + std::to_string(nTotal) + " bytes went out.";
    CString message(blockMessage);
    message += std::u16string(str.begin(), str.end());
    return message;
  }
  std::string str =
      "COM" + std::to_string(nPort) + ": the send's " + std::to_string(nTotal) + " bytes are on their way";
  constexpr std::u16string_view kWay = u" on their way";
  const std::u16string block = blockMessage.View().ToString();
  size_t nAt = block.find(kWay);
  CString message(std::u16string(str.begin(), str.end()));
  message += nAt == std::u16string_view::npos ? std::u16string_view(u".") : block.substr(nAt + kWay.size());
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
  const std::u16string strText = text.View().ToString();
  std::u16string_view rest = strText;
  if (auto wide = FindWideCharacter(rest)) {
    m_strStatus = WideCharacterMessage(*wide);
    UpdateData(FALSE);
    return;
  }
  std::string_view terminator = Terminator(m_comboTerminator.GetCurSel());

  uint32_t nResult = 0;
  const size_t nTotal = rest.size() + terminator.size();
  size_t nSent = 0, nBlocks = 0;
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
    nSent += nCount;
    ++nBlocks;
    m_strSendRecord += std::u16string_view(st.sendText, n);
    rest.remove_prefix(n);
    if (bLast) break;
  }
  m_strStatus = GetSerialErrorMessage(nResult);
  if (nResult == 0 ? nBlocks > 1 : nSent > 0)
    m_strStatus = SendSummary(m_strStatus, st.portNumber, nResult == 0, nSent, nTotal);
  UpdateData(FALSE);
}

void CTerminalDlg::OnBnClickedClearSend() {
  m_strSendRecord.Empty();
  UpdateData(FALSE);
}

void CTerminalDlg::OnBnClickedSet() {
  CString text;
  m_editInterval.GetWindowText(text);
  g_terminalState.autoSendInterval = ParseInterval(text.View().ToString());
}

void CTerminalDlg::OnBnClickedStartAuto() {
  SetTimer(kAutoSendTimer, static_cast<UINT>(g_terminalState.autoSendInterval), nullptr);
}

void CTerminalDlg::OnBnClickedStopAuto() { KillTimer(kAutoSendTimer); }
