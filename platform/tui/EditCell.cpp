#include "EditCell.h"

namespace tui {

void CEditCell::Draw(CScreen& screen) { m_editor.Draw(screen, m_rect, Text(), HasFocus()); }

bool CEditCell::Mouse(const SInput& in) {
  if (in.mouse == EMouse::Press) Press(in.x, in.y);
  return true;
}

}  // namespace tui
