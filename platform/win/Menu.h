// Pop-up menus: their items, and the tracking of the one that is open.
//
// An item is a command (text with an & before its mnemonic letter; "&&" is
// an ampersand), which may be checked (a radio check from
// CheckMenuRadioItem) or grayed, or a separator. Items are named by command
// id (MF_BYCOMMAND) or by position (MF_BYPOSITION).
//
// TrackPopupMenu opens a menu for its owner window and returns when it has
// closed; the modal host's menu loop runs meanwhile, so timers go on. One
// menu is open at a time. What the person does to it comes through
// win::input; the rules live here: Up and Down move the highlight to the next
// item a person can pick, skipping separators and grayed items and wrapping
// round; Enter picks the highlighted item; Escape, or a click outside,
// closes the menu; a letter picks the item whose mnemonic it is, or, when
// several share it, highlights the next of them; a click on an item picks
// it, and one on a separator or a grayed item does nothing. The pick is the
// item's command: TPM_RETURNCMD answers it, else the owner hears WM_COMMAND
// with it once the menu has closed. Views hear of the tracking through the
// observers and draw the menu at the point it was asked for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "WinTypes.h"

HMENU CreatePopupMenu();
// A menu that is open cannot be destroyed.
BOOL DestroyMenu(HMENU hMenu);
bool IsMenu(HMENU hMenu);
BOOL AppendMenu(HMENU hMenu, UINT flags, UINT_PTR id, std::u16string_view text = {});
// Inserts before the item named by position; an item that is not there
// appends.
BOOL InsertMenu(HMENU hMenu, UINT position, UINT flags, UINT_PTR id, std::u16string_view text = {});
// The item's previous state (MF_CHECKED or MF_UNCHECKED), or kNoMenuItem.
DWORD CheckMenuItem(HMENU hMenu, UINT item, UINT flags);
// Checks item check with a radio check, and clears the checks of the others
// from first to last.
BOOL CheckMenuRadioItem(HMENU hMenu, UINT first, UINT last, UINT check, UINT flags);
// The item's previous state (MF_ENABLED, MF_GRAYED, MF_DISABLED), or kNoMenuItem.
DWORD EnableMenuItem(HMENU hMenu, UINT item, UINT flags);
int GetMenuItemCount(HMENU hMenu);
// The command id of the item at nPos, or kNoMenuItem for a separator or none.
UINT GetMenuItemID(HMENU hMenu, int nPos);
// The item's kind and state flags, or kNoMenuItem.
UINT GetMenuState(HMENU hMenu, UINT item, UINT flags);
std::u16string GetMenuString(HMENU hMenu, UINT item, UINT flags);

// Answers, with TPM_RETURNCMD, the picked command or 0; otherwise TRUE,
// having sent the pick to hWnd. FALSE when a menu is open already.
BOOL TrackPopupMenu(HMENU hMenu, UINT flags, int x, int y, int nReserved, HWND hWnd, const RECT* prcRect);
// Closes the open menu unpicked.
BOOL EndMenu();

constexpr DWORD kNoMenuItem = 0xFFFFFFFF;

namespace win {

struct SMenuTrack {
  HMENU hMenu = nullptr;
  HWND hOwner = nullptr;
  // Where the menu was asked for, as the view gave it (win::input::ContextMenu).
  POINT pt;
  // The highlighted item's position, or -1.
  int nHighlight = -1;
};
// The open menu, if any.
std::optional<SMenuTrack> GetTrackedMenu();
// True once hMenu is no longer open or has been picked from or closed:
// the modal host's menu loop runs until then.
bool IsMenuDone(HMENU hMenu);

// An item's text as shown: without its & marks, with the position of the
// mnemonic letter in it (npos when it has none).
struct SMenuText {
  std::u16string strText;
  size_t nMnemonic = std::u16string::npos;
};
SMenuText SplitMnemonic(std::u16string_view text);

}  // namespace win
