#include "StaticCell.h"

#include "CellText.h"
#include "Window.h"

namespace tui {

void CStaticCell::Draw(CScreen& screen) {
  const std::u16string text = GetWindowText(m_hWnd);
  if (m_rect.cy <= 1) {
    screen.Put(m_rect.x, m_rect.y, text, m_rect.cx, EStyle::Dialog);
    return;
  }
  // Taller labels wrap, leaving the blank after the text as a one-line one does.
  auto lines = WrapWords(text, m_rect.cx - 1);
  for (int i = 0; i < m_rect.cy; ++i)
    screen.Put(m_rect.x, m_rect.y + i, static_cast<size_t>(i) < lines.size() ? lines[i] : u"", m_rect.cx,
               EStyle::Dialog);
}

}  // namespace tui
