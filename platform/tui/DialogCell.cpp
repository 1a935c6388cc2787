#include "DialogCell.h"

#include "CellText.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

namespace {
constexpr std::u16string_view kOk = u"[OK]";
constexpr std::u16string_view kClose = u"[\u00D7]";
}  // namespace

void CDialogCell::Draw(CScreen& screen) {
  const SCellRect& r = m_rect;
  screen.Fill({r.x, r.y + 1, r.cx, r.cy - 1}, EStyle::Dialog);
  // A dialog over another has a frame of its own, under its caption line.
  if (GetParent(m_hWnd)) screen.Frame(r, EStyle::Dialog);
  bool bOk = GetWindowExStyle(m_hWnd) & WS_EX_CAPTIONOKBTN;
  int nButtons = (bOk ? TextCells(kOk) + 1 : 0) + TextCells(kClose);
  m_nButtons = r.x + r.cx - nButtons;
  screen.Put(r.x, r.y, GetWindowText(m_hWnd), r.cx - nButtons, EStyle::Caption);
  int x = m_nButtons;
  if (bOk) {
    screen.Put(x, r.y, kOk, TextCells(kOk), EStyle::Caption);
    x += TextCells(kOk);
    screen.Put(x++, r.y, u" ", 1, EStyle::Caption);
  }
  screen.Put(x, r.y, kClose, TextCells(kClose), EStyle::Caption);
}

bool CDialogCell::Mouse(const SInput& in) {
  if (in.mouse != EMouse::Press || in.y != m_rect.y || in.x < m_nButtons) return in.y == m_rect.y;
  bool bOk = GetWindowExStyle(m_hWnd) & WS_EX_CAPTIONOKBTN;
  if (bOk && in.x < m_nButtons + TextCells(kOk))
    win::input::CaptionOk(m_hWnd);
  else if (in.x >= m_rect.x + m_rect.cx - TextCells(kClose))
    win::input::Close(m_hWnd);
  return true;
}

}  // namespace tui
