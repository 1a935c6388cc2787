#include "TerminalDlg.h"

#include "resource.h"

CTerminalDlg::CTerminalDlg(CWnd* pParent)
    : CDialog(IDD_QUORVEL_DIALOG, pParent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

CTerminalDlg::~CTerminalDlg() = default;

void CTerminalDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_COMBO_TAIL, m_comboTail);
  DDX_Control(pDX, IDC_EDIT_INTERVAL, m_editInterval);
  DDX_Control(pDX, IDC_COMBO_TERMINATOR, m_comboTerminator);
  DDX_Control(pDX, IDC_COMBO_SLOT, m_comboSlot);
  DDX_Control(pDX, IDC_EDIT_SEND, m_editSend);
  DDX_Control(pDX, IDC_COMBO_PORT, m_comboPort);
  DDX_Control(pDX, IDC_COMBO_DATABITS, m_comboDataBits);
  DDX_Control(pDX, IDC_COMBO_STOPBITS, m_comboStopBits);
  DDX_Control(pDX, IDC_COMBO_BAUD, m_comboBaud);
  DDX_Control(pDX, IDC_COMBO_PARITY, m_comboParity);
  DDX_Text(pDX, IDC_EDIT_STATUS, m_strStatus);
  DDX_Text(pDX, IDC_EDIT_RECEIVE_RECORD, m_strReceiveRecord);
  DDX_Text(pDX, IDC_EDIT_SEND_RECORD, m_strSendRecord);
}

BEGIN_MESSAGE_MAP(CTerminalDlg, CDialog)
ON_BN_CLICKED(IDC_BUTTON_OPEN, OnBnClickedOpenCom)
ON_BN_CLICKED(IDC_BUTTON_CLOSE, OnBnClickedCloseCom)
ON_BN_CLICKED(IDC_BUTTON_SEND, OnBnClickedSend)
ON_BN_CLICKED(IDC_BUTTON_CLEAR_RECEIVE, OnBnClickedClearReceive)
ON_BN_CLICKED(IDC_BUTTON_CLEAR_SEND, OnBnClickedClearSend)
ON_WM_TIMER()
ON_BN_CLICKED(IDC_BUTTON_SET, OnBnClickedSet)
ON_BN_CLICKED(IDC_BUTTON_START_AUTO, OnBnClickedStartAuto)
ON_BN_CLICKED(IDC_BUTTON_STOP_AUTO, OnBnClickedStopAuto)
ON_WM_INITMENUPOPUP()
ON_COMMAND(ID_SEND_AS_HEX, OnSendAsHex)
ON_CBN_SELCHANGE(IDC_COMBO_SLOT, OnCbnSelchangeSlot)
ON_BN_CLICKED(IDC_BUTTON_SCAN, OnBnClickedScanQuery)
ON_BN_CLICKED(IDC_BUTTON_NAME_QUERY, OnBnClickedNameQuery)
ON_WM_CLOSE()
END_MESSAGE_MAP()

BOOL CTerminalDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  CenterWindow();

  m_editSend.SetWindowText(u"$00M");
  m_comboParity.SetCurSel(0);
  m_comboBaud.SetCurSel(6);
  m_comboDataBits.SetCurSel(3);
  m_comboPort.SetCurSel(0);
  m_comboStopBits.SetCurSel(0);
  m_comboTerminator.SetCurSel(1);
  m_comboTail.SetCurSel(0);
  m_comboSlot.SetCurSel(6);
  SwitchSlot(7);
  m_editInterval.SetWindowText(u"100");
  ShowPortMap();

  return TRUE;  // let the framework set the focus
}

// The dialog manager makes Enter the OK command and Escape the Cancel
// command, wherever the person is typing; the records go with the dialog, so
// while either holds text the person is asked first.
void CTerminalDlg::OnOK() {
  if (ConfirmEnd()) CDialog::OnOK();
}

void CTerminalDlg::OnCancel() {
  if (ConfirmEnd()) CDialog::OnCancel();
}

// The caption's close button is an explicit request: it ends at once.
void CTerminalDlg::OnClose() { EndDialog(IDCANCEL); }

// No is the default answer, so a second Enter keeps the session.
bool CTerminalDlg::ConfirmEnd() {
  if (m_strReceiveRecord.IsEmpty() && m_strSendRecord.IsEmpty()) return true;
  return MessageBox(u"End the terminal? The send and receive records will be lost.", nullptr,
                    MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void CTerminalDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kReceivePollTimer) PollReceive();
  if (nIDEvent == kAutoSendTimer) SendText();
  CDialog::OnTimer(nIDEvent);
}
