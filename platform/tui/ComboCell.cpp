#include "ComboCell.h"

#include <algorithm>

#include "CellHost.h"
#include "UserInput.h"
#include "Window.h"

namespace tui {

int CComboCell::Count() const { return static_cast<int>(SendMessage(m_hWnd, CB_GETCOUNT, 0, 0)); }

void CComboCell::Draw(CScreen& screen) {
  DrawField(screen, {m_rect.x, m_rect.y, m_rect.cx - 1, 1});
  screen.PutChar(m_rect.x + m_rect.cx - 1, m_rect.y, U'\u25BC', HasFocus() ? EStyle::Focused : EStyle::Button);
}

std::optional<SCellRect> CComboCell::Popup() const {
  if (!m_bDropped) return std::nullopt;
  int nRows = std::max(1, std::min(Count(), m_nListRows));
  SIZE screen = m_rView.ScreenSize();
  int y = m_rect.y + 1;
  // Above the field when there is no room below it.
  if (y + nRows > screen.cy && m_rect.y - nRows >= 0) y = m_rect.y - nRows;
  nRows = std::min(nRows, static_cast<int>(screen.cy) - y);
  return SCellRect{m_rect.x, y, m_rect.cx, nRows};
}

void CComboCell::DrawPopup(CScreen& screen) {
  auto popup = Popup();
  if (!popup) return;
  m_nFirst = std::clamp(m_nFirst, std::max(0, m_nHot - popup->cy + 1), std::max(0, m_nHot));
  for (int i = 0; i < popup->cy; ++i) {
    int nItem = m_nFirst + i;
    EStyle style = nItem == m_nHot ? EStyle::Selected : EStyle::Field;
    screen.Put(popup->x, popup->y + i, nItem < Count() ? GetComboItemText(m_hWnd, nItem) : u"", popup->cx, style);
  }
}

void CComboCell::Drop(bool bDrop) {
  if (bDrop == m_bDropped) return;
  m_bDropped = bDrop;
  if (bDrop) {
    int nSel = static_cast<int>(SendMessage(m_hWnd, CB_GETCURSEL, 0, 0));
    m_nHot = std::max(0, nSel);
    m_nFirst = 0;
  }
  // What the list covered is drawn again.
  m_rView.InvalidateAll();
}

void CComboCell::PickHot() {
  Drop(false);
  if (m_nHot >= 0 && m_nHot < Count()) m_rView.Feed(m_hWnd, [&] { win::input::Pick(m_hWnd, m_nHot); });
}

bool CComboCell::Key(const SInput& in) {
  if (in.key == EKey::DropDown) {
    Drop(!m_bDropped);
    return true;
  }
  if (m_bDropped) {
    switch (in.key) {
      case EKey::Up:
        m_nHot = std::max(0, m_nHot - 1);
        break;
      case EKey::Down:
        m_nHot = std::min(Count() - 1, m_nHot + 1);
        break;
      case EKey::PageUp:
        m_nHot = std::max(0, m_nHot - m_nListRows);
        break;
      case EKey::PageDown:
        m_nHot = std::min(Count() - 1, m_nHot + m_nListRows);
        break;
      case EKey::Enter:
        PickHot();
        return true;
      case EKey::Escape:
        Drop(false);
        return true;
      case EKey::Tab:
      case EKey::BackTab:
        // The dialog manager moves the focus; the list closes first.
        Drop(false);
        return false;
      default:
        return true;
    }
    Invalidate();
    return true;
  }
  // The rest is the dialog manager's, and through it the field's.
  return false;
}

bool CComboCell::Mouse(const SInput& in) {
  if (auto popup = Popup(); popup && popup->Contains(in.x, in.y)) {
    if (in.mouse == EMouse::WheelUp) m_nFirst = std::max(0, m_nFirst - 1);
    if (in.mouse == EMouse::WheelDown) m_nFirst = std::min(std::max(0, Count() - popup->cy), m_nFirst + 1);
    m_nHot = std::clamp(m_nFirst + in.y - popup->y, 0, std::max(0, Count() - 1));
    if (in.mouse == EMouse::Release) PickHot();
    Invalidate();
    return true;
  }
  if (in.mouse != EMouse::Press) return m_rect.Contains(in.x, in.y);
  if (!m_rect.Contains(in.x, in.y)) {
    Drop(false);
    return false;
  }
  if (in.x == m_rect.x + m_rect.cx - 1) {
    win::input::Focus(m_hWnd);
    Drop(!m_bDropped);
  } else {
    Press(in.x, in.y);
    Drop(false);
  }
  Invalidate();
  return true;
}

void CComboCell::Leave() { Drop(false); }

}  // namespace tui
