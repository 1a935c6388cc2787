#include "MenuCell.h"

#include <algorithm>

#include "CellText.h"
#include "KeyInput.h"
#include "Menu.h"
#include "UserInput.h"

namespace tui {

namespace {
// Cells beside the text: before it the border, a blank, the check and a
// blank; after it two blanks and the border.
constexpr int kBefore = 4;
constexpr int kAfter = 3;
}  // namespace

SCellRect CMenuCell::Rect() const {
  int nItems = std::max(0, GetMenuItemCount(m_hMenu));
  int nText = 0;
  for (int i = 0; i < nItems; ++i)
    nText = std::max(nText, TextCells(win::SplitMnemonic(GetMenuString(m_hMenu, i, MF_BYPOSITION)).strText));
  int cx = std::min<int>(nText + kBefore + kAfter, static_cast<int>(m_screen.cx));
  int cy = std::min<int>(nItems + 2, static_cast<int>(m_screen.cy));
  auto track = win::GetTrackedMenu();
  POINT pt = track ? track->pt : POINT{};
  int x = std::clamp(static_cast<int>(pt.x), 0, static_cast<int>(m_screen.cx) - cx);
  int y = static_cast<int>(pt.y);
  // Above the point when there is no room below it.
  if (y + cy > m_screen.cy) y = std::max(0, std::min(y + 1, static_cast<int>(m_screen.cy)) - cy);
  return SCellRect{x, y, cx, cy};
}

int CMenuCell::ItemAt(int x, int y) const {
  SCellRect r = Rect();
  if (x <= r.x || x >= r.x + r.cx - 1 || y <= r.y || y >= r.y + r.cy - 1) return -1;
  return y - r.y - 1;
}

void CMenuCell::Draw(CScreen& screen) {
  m_bDirty = false;
  SCellRect r = Rect();
  if (r.cx < kBefore + kAfter || r.cy < 2) return;
  auto track = win::GetTrackedMenu();
  int nHighlight = track ? track->nHighlight : -1;
  screen.Frame(r, EStyle::Menu);
  for (int i = 0; i + 2 < r.cy; ++i) {
    int y = r.y + 1 + i;
    UINT state = GetMenuState(m_hMenu, i, MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      screen.PutChar(r.x, y, U'\u251C', EStyle::Menu);
      for (int x = r.x + 1; x < r.x + r.cx - 1; ++x) screen.PutChar(x, y, U'\u2500', EStyle::Menu);
      screen.PutChar(r.x + r.cx - 1, y, U'\u2524', EStyle::Menu);
      continue;
    }
    EStyle style = i == nHighlight                     ? EStyle::Selected
                   : state & (MF_GRAYED | MF_DISABLED) ? EStyle::GreyedItem
                                                       : EStyle::Menu;
    char32_t mark = !(state & MF_CHECKED) ? U' ' : (state & MFT_RADIOCHECK) ? U'\u2022' : U'\u2713';
    screen.PutChar(r.x + 1, y, U' ', style);
    screen.PutChar(r.x + 2, y, mark, style);
    screen.PutChar(r.x + 3, y, U' ', style);
    win::SMenuText shown = win::SplitMnemonic(GetMenuString(m_hMenu, i, MF_BYPOSITION));
    // The text, and blanks to the right border.
    int x = r.x + kBefore, nEnd = r.x + r.cx - 1;
    for (size_t n = 0; n < shown.strText.size();) {
      bool bMnemonic = n == shown.nMnemonic;
      char32_t c = ShownChar(NextChar(shown.strText, n));
      if (x + CellWidth(c) > nEnd) break;
      screen.PutChar(x, y, c, style, bMnemonic);
      x += CellWidth(c);
    }
    screen.Put(x, y, u"", nEnd - x, style);
  }
}

void CMenuCell::Key(const SInput& in) {
  auto key = KeyOf(in);
  if (!key) return;
  if (key->vk)
    win::input::MenuKey(key->vk);
  else
    win::input::MenuChar(key->ch);
}

void CMenuCell::Mouse(const SInput& in) {
  int nItem = ItemAt(in.x, in.y);
  bool bInside = Rect().Contains(in.x, in.y);
  switch (in.mouse) {
    case EMouse::Press:
    case EMouse::RightPress:
      if (!bInside) win::input::MenuClick(-1);
      if (nItem >= 0) win::input::MenuHover(nItem);
      break;
    case EMouse::Drag:
      win::input::MenuHover(nItem);
      break;
    case EMouse::Release:
      if (nItem >= 0) win::input::MenuClick(nItem);
      break;
    case EMouse::WheelUp:
    case EMouse::WheelDown:
      break;
  }
}

}  // namespace tui
