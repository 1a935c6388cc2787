#include "FieldCell.h"

#include "TextView.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

std::u16string CFieldCell::Text() const { return std::u16string(GetWindowTextShared(m_hWnd).View()); }

std::optional<std::pair<int, int>> CFieldCell::Caret() const { return m_editor.Caret(m_rect.x, m_rect.y); }

bool CFieldCell::Edit(const SInput& in) {
  std::u16string text = Text();
  bool bChanged = false;
  if (!m_editor.Key(in, text, &bChanged)) return false;
  if (bChanged) m_rView.Feed(m_hWnd, [&] { win::input::Edit(m_hWnd, text); });
  Invalidate();
  return true;
}

void CFieldCell::Press(int x, int y) {
  win::input::Focus(m_hWnd);
  m_editor.Click(Text(), x - m_rect.x, y - m_rect.y);
  Invalidate();
}

void CFieldCell::ShowText(size_t) {
  // Text set by code, not typed here, shows from its start.
  if (!m_rView.IsFeeding(m_hWnd)) m_editor.Reset();
  Invalidate();
}

void CFieldCell::Focused() {
  m_editor.SelectAll(Text());
  Invalidate();
}

void CFieldCell::Leave() {
  m_editor.Deselect();
  Invalidate();
}

}  // namespace tui
