#include "EditCell.h"

#include <string>

#include "TextView.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

CEditCell::CEditCell(CTextView& view, HWND hWnd) : CCellWindow(view, hWnd) {}

void CEditCell::Draw(CScreen& screen) {
  std::u16string text(GetWindowTextShared(m_hWnd).View());
  m_editor.Draw(screen, m_rect.x, m_rect.y, m_rect.cx, text, HasFocus());
}

std::optional<std::pair<int, int>> CEditCell::Caret() const { return m_editor.Caret(m_rect.x, m_rect.y); }

bool CEditCell::Key(const SInput& in) {
  std::u16string text(GetWindowTextShared(m_hWnd).View());
  bool bChanged = false;
  if (!m_editor.Key(in, text, &bChanged)) return false;
  if (bChanged) m_rView.Feed(m_hWnd, [&] { win::input::Edit(m_hWnd, text); });
  Invalidate();
  return true;
}

bool CEditCell::Mouse(const SInput& in) {
  if (in.mouse != EMouse::Press) return true;
  win::input::Focus(m_hWnd);
  m_editor.Click(std::u16string(GetWindowTextShared(m_hWnd).View()), in.x - m_rect.x);
  Invalidate();
  return true;
}

void CEditCell::ShowText(size_t) {
  if (!m_rView.IsFeeding(m_hWnd)) m_editor.Reset();
  Invalidate();
}

void CEditCell::Focused() {
  m_editor.SelectAll(std::u16string(GetWindowTextShared(m_hWnd).View()));
  Invalidate();
}

void CEditCell::Leave() {
  m_editor.Deselect();
  Invalidate();
}

}  // namespace tui
