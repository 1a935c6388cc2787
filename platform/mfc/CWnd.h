// The framework's window wrapper.
#pragma once

#include <string_view>

#include "CCmdTarget.h"
#include "CString.h"
#include "WinTypes.h"
#include "Window.h"

class CDataExchange;

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  // The wrapper attached to a window, or null.
  static CWnd* FromHandlePermanent(HWND hWnd);
  BOOL Attach(HWND hWnd);
  HWND Detach();
  // Attaches and routes the window's messages through this wrapper.
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

  void SetWindowText(std::u16string_view text);
  void GetWindowText(CString& rString) const;
  int GetWindowText(char16_t* lpszStringBuf, int nMaxCount) const;
  int GetWindowTextLength() const;

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
  BOOL KillTimer(UINT_PTR nIDEvent);
  void CenterWindow(CWnd* pAlternateOwner = nullptr);
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // A message box owned by this window; without a caption it has the
  // application's name. Answers the button that ended it (IDYES, IDNO, ...).
  int MessageBox(const char16_t* lpszText, const char16_t* lpszCaption = nullptr, UINT nType = MB_OK);

  // Message handling: the map first, then the default.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void DoDataExchange(CDataExchange* pDX);

 protected:
  // The default handling of the message being handled.
  LRESULT Default();
  void OnTimer(UINT_PTR nIDEvent);
  void OnClose();

  DECLARE_MESSAGE_MAP()

 private:
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  WNDPROC m_pfnSuper = nullptr;
};

LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
