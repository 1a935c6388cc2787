#include "Menu.h"

#include <algorithm>
#include <cwctype>
#include <unordered_set>
#include <vector>

#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

struct MenuRec {
  struct SItem {
    UINT id = 0;
    UINT state = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MFT_RADIOCHECK, MF_SEPARATOR
    std::u16string strText;
  };
  std::vector<SItem> items;
};

namespace {

constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MFT_RADIOCHECK | MF_SEPARATOR;

std::unordered_set<HMENU> g_menus;

struct STracking : win::SMenuTrack {
  bool bDone = false;
  UINT nCommand = 0;
};
std::optional<STracking> g_track;

// The position of the item named by command or position, or -1.
int Find(HMENU hMenu, UINT item, UINT flags) {
  if (!IsMenu(hMenu)) return -1;
  const auto& items = hMenu->items;
  if (flags & MF_BYPOSITION) return item < items.size() ? static_cast<int>(item) : -1;
  auto it =
      std::ranges::find_if(items, [&](const MenuRec::SItem& i) { return !(i.state & MF_SEPARATOR) && i.id == item; });
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void Changed(HMENU hMenu) {
  if (g_track && g_track->hMenu == hMenu)
    win::NotifyObservers([&](win::CWindowObserver& o) { o.OnMenuChanged(hMenu); });
}

bool Pickable(const MenuRec::SItem& item) { return !(item.state & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)); }

char32_t Folded(char32_t c) { return static_cast<char32_t>(std::towlower(static_cast<wint_t>(c))); }

void Highlight(int nPos) {
  if (g_track->nHighlight == nPos) return;
  g_track->nHighlight = nPos;
  Changed(g_track->hMenu);
}

void Finish(UINT nCommand) {
  g_track->bDone = true;
  g_track->nCommand = nCommand;
}

// Sets an item's state bits of nMask to those of flags and answers the old ones, or
// kNoMenuItem; *pPos is where the item stands.
DWORD SetItemState(HMENU hMenu, UINT item, UINT flags, UINT nMask, int* pPos) {
  *pPos = Find(hMenu, item, flags);
  if (*pPos < 0) return kNoMenuItem;
  UINT& state = hMenu->items[*pPos].state;
  DWORD old = state & nMask;
  state = (state & ~nMask) | (flags & nMask);
  return old;
}

}  // namespace

HMENU CreatePopupMenu() {
  auto* hMenu = new MenuRec;
  g_menus.insert(hMenu);
  return hMenu;
}

BOOL DestroyMenu(HMENU hMenu) {
  if (!IsMenu(hMenu) || (g_track && g_track->hMenu == hMenu)) return FALSE;
  g_menus.erase(hMenu);
  delete hMenu;
  return TRUE;
}

bool IsMenu(HMENU hMenu) { return hMenu && g_menus.count(hMenu) != 0; }

BOOL AppendMenu(HMENU hMenu, UINT flags, UINT_PTR id, std::u16string_view text) {
  return InsertMenu(hMenu, kNoMenuItem, flags | MF_BYPOSITION, id, text);
}

BOOL InsertMenu(HMENU hMenu, UINT position, UINT flags, UINT_PTR id, std::u16string_view text) {
  if (!IsMenu(hMenu)) return FALSE;
  auto& items = hMenu->items;
  int nAt = Find(hMenu, position, flags);
  MenuRec::SItem item{static_cast<UINT>(id), flags & kStateFlags, std::u16string(flags & MF_SEPARATOR ? u"" : text)};
  items.insert(nAt < 0 ? items.end() : items.begin() + nAt, std::move(item));
  // The highlight stays on its item.
  if (g_track && g_track->hMenu == hMenu && nAt >= 0 && g_track->nHighlight >= nAt) ++g_track->nHighlight;
  Changed(hMenu);
  return TRUE;
}

DWORD CheckMenuItem(HMENU hMenu, UINT item, UINT flags) {
  int nPos = -1;
  DWORD old = SetItemState(hMenu, item, flags, MF_CHECKED, &nPos);
  if (nPos >= 0) Changed(hMenu);
  return old;
}

BOOL CheckMenuRadioItem(HMENU hMenu, UINT first, UINT last, UINT check, UINT flags) {
  int nFirst = Find(hMenu, first, flags), nLast = Find(hMenu, last, flags), nCheck = Find(hMenu, check, flags);
  if (nFirst < 0 || nLast < 0 || nCheck < nFirst || nCheck > nLast) return FALSE;
  for (int i = nFirst; i <= nLast; ++i) {
    UINT& state = hMenu->items[i].state;
    state &= ~(MF_CHECKED | MFT_RADIOCHECK);
    if (i == nCheck) state |= MF_CHECKED | MFT_RADIOCHECK;
  }
  Changed(hMenu);
  return TRUE;
}

DWORD EnableMenuItem(HMENU hMenu, UINT item, UINT flags) {
  int nPos = -1;
  DWORD old = SetItemState(hMenu, item, flags, MF_GRAYED | MF_DISABLED, &nPos);
  if (nPos < 0) return old;
  // A highlighted item that can no longer be picked loses the highlight.
  if (g_track && g_track->hMenu == hMenu && g_track->nHighlight == nPos && !Pickable(hMenu->items[nPos]))
    g_track->nHighlight = -1;
  Changed(hMenu);
  return old;
}

int GetMenuItemCount(HMENU hMenu) { return IsMenu(hMenu) ? static_cast<int>(hMenu->items.size()) : -1; }

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  int n = nPos < 0 ? -1 : Find(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
  if (n < 0 || (hMenu->items[n].state & MF_SEPARATOR)) return kNoMenuItem;
  return hMenu->items[n].id;
}

UINT GetMenuState(HMENU hMenu, UINT item, UINT flags) {
  int nPos = Find(hMenu, item, flags);
  return nPos < 0 ? kNoMenuItem : hMenu->items[nPos].state;
}

std::u16string GetMenuString(HMENU hMenu, UINT item, UINT flags) {
  int nPos = Find(hMenu, item, flags);
  return nPos < 0 ? std::u16string() : hMenu->items[nPos].strText;
}

BOOL TrackPopupMenu(HMENU hMenu, UINT flags, int x, int y, int, HWND hWnd, const RECT*) {
  if (!IsMenu(hMenu) || !IsWindow(hWnd) || g_track) return FALSE;
  g_track = STracking{{hMenu, hWnd, POINT{x, y}, -1}};
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnMenuOpened(hMenu); });
  win::detail::RunMenuLoop(hMenu);
  UINT nCommand = g_track->nCommand;
  g_track.reset();
  win::NotifyObservers([&](win::CWindowObserver& o) { o.OnMenuClosed(hMenu); });
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(nCommand);
  if (nCommand && !(flags & TPM_NONOTIFY)) SendMessage(hWnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(nCommand), 0), 0);
  return TRUE;
}

BOOL EndMenu() {
  if (!g_track) return FALSE;
  Finish(0);
  return TRUE;
}

namespace win {

std::optional<SMenuTrack> GetTrackedMenu() {
  if (!g_track) return std::nullopt;
  return static_cast<const SMenuTrack&>(*g_track);
}

bool IsMenuDone(HMENU hMenu) {
  // A menu whose owner has gone is done with it.
  return !g_track || g_track->hMenu != hMenu || g_track->bDone || !IsWindow(g_track->hOwner);
}

SMenuText SplitMnemonic(std::u16string_view text) {
  SMenuText out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != u'&' && out.nMnemonic == std::u16string::npos) out.nMnemonic = out.strText.size();
    } else if (text[i] == u'&') {
      continue;
    }
    out.strText += text[i];
  }
  return out;
}

}  // namespace win

namespace win::detail {

bool MenuKey(UINT vk) {
  if (!g_track || g_track->bDone) return false;
  const auto& items = g_track->hMenu->items;
  const int nCount = static_cast<int>(items.size());
  switch (vk) {
    case VK_UP:
    case VK_DOWN: {
      int nStep = vk == VK_DOWN ? 1 : -1;
      int nPos = g_track->nHighlight < 0 ? (vk == VK_DOWN ? -1 : nCount) : g_track->nHighlight;
      for (int n = 0; n < nCount; ++n) {
        nPos = ((nPos + nStep) % nCount + nCount) % nCount;
        if (Pickable(items[nPos])) {
          Highlight(nPos);
          break;
        }
      }
      return true;
    }
    case VK_RETURN:
      if (g_track->nHighlight >= 0) Finish(items[g_track->nHighlight].id);
      return true;
    case VK_ESCAPE:
      Finish(0);
      return true;
  }
  return true;
}

bool MenuChar(char32_t ch) {
  if (!g_track || g_track->bDone) return false;
  const auto& items = g_track->hMenu->items;
  std::vector<int> matches;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    SMenuText shown = SplitMnemonic(items[i].strText);
    if (Pickable(items[i]) && shown.nMnemonic != std::u16string::npos &&
        Folded(shown.strText[shown.nMnemonic]) == Folded(ch))
      matches.push_back(i);
  }
  if (matches.size() == 1) {
    Finish(items[matches.front()].id);
  } else if (!matches.empty()) {
    auto it = std::ranges::upper_bound(matches, g_track->nHighlight);
    Highlight(it == matches.end() ? matches.front() : *it);
  }
  return true;
}

bool MenuHover(int nPos) {
  if (!g_track || g_track->bDone) return false;
  const auto& items = g_track->hMenu->items;
  bool bOnItem = nPos >= 0 && nPos < static_cast<int>(items.size()) && Pickable(items[nPos]);
  Highlight(bOnItem ? nPos : -1);
  return true;
}

bool MenuClick(int nPos) {
  if (!g_track || g_track->bDone) return false;
  const auto& items = g_track->hMenu->items;
  if (nPos >= static_cast<int>(items.size())) return false;
  if (nPos < 0)
    Finish(0);
  else if (Pickable(items[nPos]))
    Finish(items[nPos].id);
  return true;
}

}  // namespace win::detail
