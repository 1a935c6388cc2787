#include "CWnd.h"

#include "CWinApp.h"
#include "DataExchange.h"
#include "MessageBox.h"
#include "Timer.h"
#include "Window.h"

namespace {

struct CCurrentMessage {
  HWND hWnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
// The message each nested WindowProc call is handling, for Default().
CCurrentMessage g_current{};

}  // namespace

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_TIMER()
END_MESSAGE_MAP()

CWnd::~CWnd() {
  if (m_hWnd && ::IsWindow(m_hWnd) && GetWindowUserData(m_hWnd) == this) {
    if (m_pfnSuper) SetWindowProc(m_hWnd, m_pfnSuper);
    SetWindowUserData(m_hWnd, nullptr);
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return static_cast<CWnd*>(GetWindowUserData(hWnd)); }

BOOL CWnd::Attach(HWND hWnd) {
  if (!::IsWindow(hWnd) || m_hWnd) return FALSE;
  m_hWnd = hWnd;
  SetWindowUserData(hWnd, this);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd && ::IsWindow(hWnd) && GetWindowUserData(hWnd) == this) SetWindowUserData(hWnd, nullptr);
  m_hWnd = nullptr;
  return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd)) return FALSE;
  m_pfnSuper = SetWindowProc(hWnd, AfxWndProc);
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

void CWnd::SetWindowText(std::u16string_view text) { ::SetWindowText(m_hWnd, text); }

void CWnd::GetWindowText(CString& rString) const { rString = ::GetWindowTextShared(m_hWnd); }

int CWnd::GetWindowText(char16_t* lpszStringBuf, int nMaxCount) const {
  return ::GetWindowText(m_hWnd, lpszStringBuf, nMaxCount);
}

int CWnd::GetWindowTextLength() const { return ::GetWindowTextLength(m_hWnd); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessage(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) { return ::SetTimer(m_hWnd, nIDEvent, nElapse); }

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

void CWnd::CenterWindow(CWnd*) {
  RECT r = GetWindowRect(m_hWnd);
  SIZE desk = GetDesktopSize();
  long w = r.right - r.left, h = r.bottom - r.top;
  long x = (desk.cx - w) / 2, y = (desk.cy - h) / 2;
  MoveWindow(m_hWnd, RECT{x, y, x + w, y + h});
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

int CWnd::MessageBox(const char16_t* lpszText, const char16_t* lpszCaption, UINT nType) {
  if (!lpszCaption) lpszCaption = AfxGetAppName();
  return ::MessageBox(m_hWnd, lpszText ? lpszText : u"", lpszCaption, nType);
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, HIWORD(wParam), LOWORD(wParam));
  if (!pEntry) return FALSE;
  switch (pEntry->nSig) {
    case AfxSig_vv:
      (this->*pEntry->pfn)();
      break;
    case AfxSig_vw:
      (this->*pEntry->pfnW)(wParam);
      break;
    case AfxSig_vM:
      (this->*pEntry->pfnMenu)(reinterpret_cast<HMENU>(wParam), FromHandlePermanent(reinterpret_cast<HWND>(lParam)));
      break;
    case AfxSig_end:
      return FALSE;
  }
  *pResult = 0;
  return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_pfnSuper ? m_pfnSuper(m_hWnd, message, wParam, lParam) : ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(g_current.message, g_current.wParam, g_current.lParam); }

void CWnd::OnTimer(UINT_PTR) { Default(); }

void CWnd::OnClose() { Default(); }

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
  if (!pWnd) return ::DefWindowProc(hWnd, message, wParam, lParam);
  // A dialog is routed here from its creation on; attach it on first sight.
  if (!pWnd->m_hWnd) pWnd->m_hWnd = hWnd;
  CCurrentMessage saved = g_current;
  g_current = {hWnd, message, wParam, lParam};
  LRESULT result = pWnd->WindowProc(message, wParam, lParam);
  g_current = saved;
  if (message == WM_NCDESTROY) {
    pWnd->m_pfnSuper = nullptr;
    pWnd->Detach();
  }
  return result;
}
