// The terminal's dialog.
#pragma once

#include "afxwin.h"

class CTerminalDlg : public CDialog {
 public:
  explicit CTerminalDlg(CWnd* pParent = nullptr);
  ~CTerminalDlg() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Enter and Escape, and the caption's close button.
  void OnOK() override;
  void OnCancel() override;
  void OnClose();
  bool ConfirmEnd();

  // Port.
  void OnBnClickedOpenCom();
  void OnBnClickedCloseCom();
  void ShowPortMap();
  // Sending.
  void OnBnClickedSend();
  void OnBnClickedClearSend();
  void OnBnClickedSet();
  void OnBnClickedStartAuto();
  void OnBnClickedStopAuto();
  void OnInitMenuPopup(HMENU hMenu, CWnd* pOwner);
  void OnSendAsHex();
  void SendText();
  // Receiving.
  void OnBnClickedClearReceive();
  void PollReceive();
  // Slots and module queries.
  void OnCbnSelchangeSlot();
  void SwitchSlot(uint8_t nSlot);
  void OnBnClickedScanQuery();
  void OnBnClickedNameQuery();
  void AppendReply(const char* reply, size_t nSize);

  void OnTimer(UINT_PTR nIDEvent);

  CComboBox m_comboTail;
  CEdit m_editInterval;
  CComboBox m_comboTerminator;
  CComboBox m_comboSlot;
  CEdit m_editSend;
  CComboBox m_comboPort;
  CComboBox m_comboDataBits;
  CComboBox m_comboStopBits;
  CComboBox m_comboBaud;
  CComboBox m_comboParity;
  CString m_strStatus;
  CString m_strReceiveRecord;
  CString m_strSendRecord;
  HICON m_hIcon;
  // Send String is read as bytes by their hex values.
  bool m_bSendHex = false;

  DECLARE_MESSAGE_MAP()
};

// Window timer ids on the dialog.
constexpr UINT_PTR kReceivePollTimer = 1;
constexpr UINT_PTR kAutoSendTimer = 2;
constexpr UINT kReceivePollPeriod = 50;
