#include "ButtonCell.h"

#include <algorithm>
#include <string>

#include "CellText.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

void CButtonCell::Draw(CScreen& screen) {
  std::u16string_view caption = GetWindowTextShared(m_hWnd).View();
  int nText = std::min(TextCells(caption), std::max(0, m_rect.cx - 2));
  EStyle style = HasFocus() ? EStyle::Focused : EStyle::Button;
  int nLeft = (m_rect.cx - 2 - nText) / 2;
  screen.Put(m_rect.x, m_rect.y, u"[", 1, style);
  screen.Put(m_rect.x + 1, m_rect.y, u"", nLeft, style);
  screen.Put(m_rect.x + 1 + nLeft, m_rect.y, caption, m_rect.cx - 2 - nLeft, style);
  screen.Put(m_rect.x + m_rect.cx - 1, m_rect.y, u"]", 1, style);
}

bool CButtonCell::Key(const SInput& in) {
  if (in.key != EKey::Char || in.ch != U' ') return false;
  win::input::Click(m_hWnd);
  return true;
}

bool CButtonCell::Mouse(const SInput& in) {
  if (in.mouse == EMouse::Press) win::input::Click(m_hWnd);
  return true;
}

}  // namespace tui
