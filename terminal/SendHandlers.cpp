// Sending once and automatically, the interval, and Clear Send.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "HexText.h"
#include "Menu.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "TextConversion.h"
#include "Tobrel.h"
#include "resource.h"

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

// Names the character that keeps a hex text from going out, and the form it takes.
CString HexErrorMessage(const CHexError& error) {
  const char* pszWhat = error.kind == CHexError::LoneDigit
                            ? "is a lone hex digit; Send as Hex takes each byte as two digits, such as 0A."
                            : "is not a hex digit; Send as Hex takes pairs such as 01 0A FF, with blanks, commas or "
                              "0x between them.";
  std::string strRest = "\" at position " + std::to_string(error.nPosition) + " " + pszWhat;
  CString message(u"Not sent: \"");
  message += error.units;
  message += std::u16string(strRest.begin(), strRest.end());
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
// terminator after the last; the first refused block stops the rest, and the
// record gains the text of the blocks that went. A text with a character
// beyond one byte, or one that Send as Hex cannot read, sends nothing and
// says which character it is.
void CTerminalDlg::SendText() {
  TerminalState& st = g_terminalState;
  CString text;
  m_editSend.GetWindowText(text);
  const std::u16string strText = text.View().ToString();
  const std::u16string_view all = strText;
  size_t nRest = all.size();
  if (m_bSendHex) {
    CHexReading reading = CheckHexText(all);
    if (reading.error) {
      m_strStatus = HexErrorMessage(*reading.error);
      UpdateData(FALSE);
      return;
    }
    nRest = reading.nBytes;
  } else if (auto wide = FindWideCharacter(all)) {
    m_strStatus = WideCharacterMessage(*wide);
    UpdateData(FALSE);
    return;
  }
  std::string_view terminator = Terminator(m_comboTerminator.GetCurSel());

  uint32_t nResult = 0;
  const size_t nTotal = nRest + terminator.size();
  size_t nSent = 0, nBlocks = 0, nPos = 0;
  for (;;) {
    bool bLast = nRest + terminator.size() <= kMaxBlock;
    size_t n = bLast ? nRest : std::min(nRest, kMaxBlock);
    const size_t nFrom = nPos;
    if (m_bSendHex) {
      ReadHexBytes(all, &nPos, st.sendBytes, n);
    } else {
      std::copy_n(all.data() + nPos, n, st.sendText);
      st.sendText[n] = 0;
      for (size_t i = 0; i < n; ++i) st.sendBytes[i] = Narrow(st.sendText[i]);
      nPos += n;
    }
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
    m_strSendRecord += all.substr(nFrom, nPos - nFrom);
    nRest -= n;
    if (bLast) break;
  }
  m_strStatus = GetSerialErrorMessage(nResult);
  if (nResult == 0 ? nBlocks > 1 : nSent > 0)
    m_strStatus = SendSummary(m_strStatus, st.portNumber, nResult == 0, nSent, nTotal);
  UpdateData(FALSE);
}

// Send String's menu offers reading its text as hex.
void CTerminalDlg::OnInitMenuPopup(HMENU hMenu, CWnd* pOwner) {
  if (pOwner != &m_editSend) return;
  AppendMenu(hMenu, MF_SEPARATOR, 0);
  AppendMenu(hMenu, MF_STRING | (m_bSendHex ? MF_CHECKED : MF_UNCHECKED), ID_SEND_AS_HEX, u"Send as &Hex");
}

void CTerminalDlg::OnSendAsHex() {
  m_bSendHex = !m_bSendHex;
  m_editSend.SetTag(m_bSendHex ? u"HEX" : u"");
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
