// The receive poll and Clear Receive.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "StoreFile.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "TextConversion.h"
#include "Tobrel.h"

namespace {

constexpr uint16_t kReceiveTimeout = 100;
// Bytes of one read; the buffer keeps room for a zero byte after them.
constexpr uint32_t kMaxRead = sizeof(TerminalState::receiveBytes) - 1;
constexpr size_t kMaxTail = 2;
size_t TailLength(int nSelection) { return nSelection >= 1 && nSelection <= 2 ? static_cast<size_t>(nSelection) : 0; }

// The index of nResult in kNewsResults, or the count of kNewsResults.
size_t NewsKind(uint16_t nResult) {
  return static_cast<size_t>(std::find(std::begin(kNewsResults), std::end(kNewsResults), nResult) -
                             std::begin(kNewsResults));
}

}  // namespace

// Everything waiting is read, in reads that fit the buffer, and handled as
// one block: the chosen tail is dropped once, from its end.
void CTerminalDlg::PollReceive() {
  TerminalState& st = g_terminalState;
  if (DataSizeInCom(st.portNumber) == 0) return;
  uint32_t nLeft = DataSizeInCom(st.portNumber);
  size_t nTail = TailLength(m_comboTail.GetCurSel());

  // The last nTail characters read so far: the tail, unless more follow.
  char16_t held[kMaxTail];
  size_t nHeld = 0;
  bool bRead = false;
  // What this tick tells: the latest text of each kind of news, a device
  // gone, then the record's store having no more room on disk.
  std::u16string astrTold[std::size(kNewsResults) + 2];
  bool bTold = false;
  uint32_t nElapsed = 0;  // the library's measure, not needed here
  while (nLeft > 0) {
    uint16_t nCount = static_cast<uint16_t>(std::min(nLeft, kMaxRead));
    std::memset(st.receiveBytes, 0, sizeof st.receiveBytes);
    const uint16_t nResult = Receive_Binary(st.portNumber, st.receiveBytes, kReceiveTimeout, nCount, &nElapsed);
    // A read that finds less stays silent. News (lost bytes, a stalled send, a failing capture
    // file) is told and the bytes after it are read on. A device that went away is told and
    // ends the tick.
    if (const size_t nKind = NewsKind(nResult); nKind < std::size(kNewsResults) || nResult == kResultDisconnected) {
      astrTold[nKind] = GetSerialErrorMessage(nResult);
      bRead = bTold = true;
      if (nKind == std::size(kNewsResults)) break;
      nLeft = DataSizeInCom(st.portNumber);
      continue;
    }
    if (nResult != 0) break;
    bRead = true;
    nLeft -= nCount;

    size_t nAll = nHeld + nCount;
    size_t nKeep = nAll > nTail ? nAll - nTail : 0;
    std::memset(st.receiveText, 0, sizeof st.receiveText);
    for (size_t i = 0; i < nAll; ++i) {
      char16_t ch = i < nHeld ? held[i] : WidenReceived(st.receiveBytes[i - nHeld]);
      if (i < nKeep) {
        st.receiveText[i] = ch;
      } else {
        held[i - nKeep] = ch;
      }
    }
    nHeld = nAll - nKeep;
    m_strReceiveRecord += std::u16string_view(st.receiveText, nKeep);
  }
  if (bRead) {
    astrTold[std::size(kNewsResults) + 1] = win::TakeStoreNews();
    bTold = bTold || !astrTold[std::size(kNewsResults) + 1].empty();
  }
  if (bTold) {
    m_strStatus.Empty();
    for (const std::u16string& strTold : astrTold) {
      if (strTold.empty()) continue;
      if (!m_strStatus.IsEmpty()) m_strStatus += u" ";
      m_strStatus += strTold;
    }
  }
  if (bRead) UpdateData(FALSE);
}

void CTerminalDlg::OnBnClickedClearReceive() {
  m_strReceiveRecord.Empty();
  UpdateData(FALSE);
}
