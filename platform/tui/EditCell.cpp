#include "EditCell.h"

namespace tui {

void CEditCell::Draw(CScreen& screen) { m_editor.Draw(screen, m_rect.x, m_rect.y, m_rect.cx, Text(), HasFocus()); }

bool CEditCell::Mouse(const SInput& in) {
  if (in.mouse == EMouse::Press) Press(in.x);
  return true;
}

}  // namespace tui
