#include "CDialog.h"

#include "CWinApp.h"
#include "Dialog.h"
#include "Resource.h"
#include "Window.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
  const win::DialogTemplate* pTemplate = win::FindDialogResource(static_cast<int>(m_nIDHelp));
  if (!pTemplate) return -1;
  HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  return DialogBoxIndirect(*pTemplate, hParent, AfxWndProc, static_cast<CWnd*>(this));
}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::OnInitDialog() {
  // The lists' contents come with the template.
  if (const win::DialogInit* pInit = win::FindDialogInitResource(static_cast<int>(m_nIDHelp))) {
    for (const auto& entry : *pInit)
      ::SendMessage(::GetDlgItem(m_hWnd, entry.id), entry.message, 0, reinterpret_cast<LPARAM>(entry.text));
  }
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      // The application's dialog colours reach the dialog and its labels.
      if (const CWinApp* pApp = AfxGetApp(); pApp && pApp->HasDialogColors()) {
        auto* pColors = reinterpret_cast<CTLCOLORS*>(wParam);
        pColors->background = pApp->GetDialogBkColor();
        pColors->text = pApp->GetDialogTextColor();
        return TRUE;
      }
      return FALSE;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
