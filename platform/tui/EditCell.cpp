#include "EditCell.h"

namespace tui {

void CEditCell::Draw(CScreen& screen) { DrawField(screen, m_rect); }

bool CEditCell::Mouse(const SInput& in) {
  if (in.mouse == EMouse::Press) Press(in.x, in.y);
  return true;
}

}  // namespace tui
