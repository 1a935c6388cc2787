#include "ButtonCell.h"

#include <algorithm>
#include <string>

#include "CellText.h"
#include "Mnemonic.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

void CButtonCell::Draw(CScreen& screen) {
  const win::CShownCaption caption = win::ShownCaption(GetWindowTextShared(m_hWnd).View().ToString());
  const std::u16string_view text = caption.strText;
  int nText = std::min(TextCells(text), std::max(0, m_rect.cx - 2));
  EStyle style = HasFocus() ? EStyle::Focused : EStyle::Button;
  int nLeft = (m_rect.cx - 2 - nText) / 2;
  screen.Put(m_rect.x, m_rect.y, u"[", 1, style);
  screen.Put(m_rect.x + 1, m_rect.y, u"", nLeft, style);
  screen.Put(m_rect.x + 1 + nLeft, m_rect.y, text, m_rect.cx - 2 - nLeft, style);
  screen.Put(m_rect.x + m_rect.cx - 1, m_rect.y, u"]", 1, style);
  if (caption.nMark == std::u16string::npos) return;
  int nMarkAt = nLeft + TextCells(text.substr(0, caption.nMark));
  size_t nAt = caption.nMark;
  char32_t c = NextChar(text, nAt);
  if (nMarkAt + CellWidth(ShownChar(c)) <= m_rect.cx - 2)
    screen.PutChar(m_rect.x + 1 + nMarkAt, m_rect.y, c, style, true);
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
