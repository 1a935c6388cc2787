// Open Com and Close Com.
#include <optional>

#include "Phrases.h"
#include "TerminalDlg.h"
#include "TerminalState.h"
#include "TextConversion.h"
#include "Tobrel.h"
#include "ToolTip.h"

namespace {

constexpr uint32_t kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr int8_t kDataBits[] = {5, 6, 7, 8};

template <typename T, size_t N>
std::optional<T> FromTable(const T (&table)[N], int nIndex) {
  if (nIndex < 0 || static_cast<size_t>(nIndex) >= N) return std::nullopt;
  return table[nIndex];
}

// A list's value: its selection, or else what was typed into its field.
template <typename T, typename Parse>
std::optional<T> ListValue(const CComboBox& combo, std::optional<T> fromSelection, Parse parse) {
  if (combo.GetCurSel() >= 0) return fromSelection;
  CString text;
  combo.GetWindowText(text);
  return parse(text.View().ToString());
}

}  // namespace

void CTerminalDlg::OnBnClickedOpenCom() {
  TerminalState& st = g_terminalState;
  int nPort = m_comboPort.GetCurSel();
  int nStopBits = m_comboStopBits.GetCurSel();
  int nParity = m_comboParity.GetCurSel();
  int nDataBits = m_comboDataBits.GetCurSel();
  int nBaud = m_comboBaud.GetCurSel();

  auto port = ListValue<uint8_t>(m_comboPort, static_cast<uint8_t>(nPort + 1), ParsePortText);
  // The port of this attempt, chosen or typed, stays even when a setting is missing.
  st.portNumber = port.value_or(static_cast<uint8_t>(nPort + 1));
  auto baud = ListValue(m_comboBaud, FromTable(kBaudRates, nBaud), ParseBaudText);
  auto dataBits = ListValue(m_comboDataBits, FromTable(kDataBits, nDataBits), ParseDataBitsText);
  // Without a usable value there is nothing to open; the status says what to choose.
  const char* pszMissing = !port ? kChoosePort : !baud ? kChooseBaud : !dataBits ? kChooseDataBits : nullptr;
  if (pszMissing) {
    m_strStatus = Sentence(pszMissing);
    UpdateData(FALSE);
    return;
  }

  uint32_t nResult =
      Open_Com(st.portNumber, *baud, *dataBits, static_cast<int8_t>(nParity), static_cast<int8_t>(nStopBits));
  st.lastResult = nResult;
  m_strStatus = GetSerialErrorMessage(nResult);
  if (nResult == 0) SetTimer(kReceivePollTimer, kReceivePollPeriod, nullptr);
  if (nResult == kResultOpenComError) m_strStatus = u"qel_ERR_OPEN_COM";
  ShowPortMap();
  UpdateData(FALSE);
}

// The port list's tooltip names the device behind each COM number, as the library maps them now.
void CTerminalDlg::ShowPortMap() { SetWindowToolTip(m_comboPort.m_hWnd, GetSerialPortMap()); }

void CTerminalDlg::OnBnClickedCloseCom() {
  Close_Com(g_terminalState.portNumber);
  m_strStatus = GetSerialErrorMessage(g_terminalState.lastResult);
  UpdateData(FALSE);
}
