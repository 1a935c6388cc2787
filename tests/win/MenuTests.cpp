// Pop-up menus as a caller builds them and a person works them: the items,
// the keys, mnemonics and clicks while a menu is open, and the command that
// comes of it.
#include <gtest/gtest.h>

#include <csignal>

#include "Clipboard.h"
#include "Dialog.h"
#include "EditBox.h"
#include "Menu.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowObserver.h"

namespace {

enum : UINT { kCut = 101, kCopy, kPaste, kDelete, kSelectAll, kOwn = 0x8001 };

struct COwnerLog {
  static inline std::vector<WPARAM> commands;
  static inline std::vector<LPARAM> contextMenus;
  // Added to an edit box's menu, with the box it was for, while not null.
  static inline std::u16string_view ownItem;
  static inline std::vector<HWND> menuBoxes;
  static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND) commands.push_back(w);
    if (m == WM_CONTEXTMENU) contextMenus.push_back(l);
    if (m == WM_INITMENUPOPUP && !ownItem.empty()) {
      AppendMenu(reinterpret_cast<HMENU>(w), MF_STRING, kOwn, ownItem);
      menuBoxes.push_back(reinterpret_cast<HWND>(l));
    }
    return DefWindowProc(h, m, w, l);
  }
};

class CMenuObserver final : public win::CWindowObserver {
 public:
  void OnMenuOpened(HMENU h) override { m_events.push_back("opened " + State(h)); }
  void OnMenuChanged(HMENU h) override { m_events.push_back("changed " + State(h)); }
  void OnMenuClosed(HMENU) override {
    m_events.push_back(std::string("closed") + (win::GetTrackedMenu() ? " still tracked" : ""));
  }
  std::vector<std::string> m_events;

 private:
  static std::string State(HMENU h) {
    auto track = win::GetTrackedMenu();
    if (!track || track->hMenu != h) return "untracked";
    return std::to_string(track->nHighlight);
  }
};

class CMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    COwnerLog::commands.clear();
    COwnerLog::contextMenus.clear();
    COwnerLog::ownItem = {};
    COwnerLog::menuBoxes.clear();
    win::DialogTemplate tmpl{
        WS_POPUP | WS_VISIBLE,
        0,
        0,
        0,
        100,
        100,
        u"test",
        u"System",
        8,
        {{WindowClass::Edit, WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, 11, nullptr, 0, 60, 50, 10},
         {WindowClass::Button, WS_VISIBLE | WS_TABSTOP, 12, u"OK", 60, 60, 30, 10},
         {WindowClass::Edit, WS_VISIBLE | ES_MULTILINE | ES_READONLY, 13, u"fixed", 0, 80, 50, 10}}};
    m_hDlg = CreateDialogIndirect(tmpl, nullptr, COwnerLog::Proc, nullptr);
    // The record box's menu with nothing selected in a read-only box:
    // Cu&t, &Copy, &Paste, &Delete, separator, Select &All.
    m_hMenu = CreatePopupMenu();
    AppendMenu(m_hMenu, MF_STRING | MF_GRAYED, kCut, u"Cu&t");
    AppendMenu(m_hMenu, MF_STRING, kCopy, u"&Copy");
    AppendMenu(m_hMenu, MF_STRING | MF_GRAYED, kPaste, u"&Paste");
    AppendMenu(m_hMenu, MF_STRING | MF_GRAYED, kDelete, u"&Delete");
    AppendMenu(m_hMenu, MF_SEPARATOR, 0);
    AppendMenu(m_hMenu, MF_STRING, kSelectAll, u"Select &All");
    win::AddWindowObserver(&m_observer);
  }
  void TearDown() override {
    win::RemoveWindowObserver(&m_observer);
    win::SetModalHost(nullptr);
    DestroyMenu(m_hMenu);
    DestroyWindow(m_hDlg);
  }
  // Opens the menu for the dialog, lets the person act on it, and answers
  // what TrackPopupMenu did with TPM_RETURNCMD.
  UINT Track(std::function<void(HMENU)> person, UINT flags = TPM_RETURNCMD) {
    win::CScriptModalHost host(nullptr, IDCANCEL);
    host.SetMenuScript(std::move(person));
    win::SetModalHost(&host);
    UINT nResult = static_cast<UINT>(TrackPopupMenu(m_hMenu, flags, 3, 4, 0, m_hDlg, nullptr));
    win::SetModalHost(nullptr);
    return nResult;
  }
  static int Highlight() { return win::GetTrackedMenu() ? win::GetTrackedMenu()->nHighlight : -2; }

  HWND m_hDlg = nullptr;
  HMENU m_hMenu = nullptr;
  CMenuObserver m_observer;
};

TEST_F(CMenuTest, ItemsAreBuiltCheckedAndGrayedByCommandOrPosition) {
  EXPECT_EQ(GetMenuItemCount(m_hMenu), 6);
  EXPECT_EQ(GetMenuItemID(m_hMenu, 1), kCopy);
  EXPECT_EQ(GetMenuItemID(m_hMenu, 4), kNoMenuItem);
  EXPECT_EQ(GetMenuState(m_hMenu, 4, MF_BYPOSITION), MF_SEPARATOR);
  EXPECT_EQ(GetMenuString(m_hMenu, kSelectAll, MF_BYCOMMAND), u"Select &All");
  // Inserted before an item named by command or by position.
  EXPECT_TRUE(InsertMenu(m_hMenu, kCopy, MF_BYCOMMAND | MF_STRING, 200, u"&Before copy"));
  EXPECT_TRUE(InsertMenu(m_hMenu, 0, MF_BYPOSITION | MF_STRING, 201, u"&First"));
  EXPECT_EQ(GetMenuItemID(m_hMenu, 0), 201u);
  EXPECT_EQ(GetMenuItemID(m_hMenu, 2), 200u);
  EXPECT_EQ(GetMenuItemID(m_hMenu, 3), kCopy);

  // Each call answers the item's previous state.
  EXPECT_EQ(CheckMenuItem(m_hMenu, kCopy, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(m_hMenu, kCopy, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(EnableMenuItem(m_hMenu, kCut, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(m_hMenu, kCut, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(GetMenuState(m_hMenu, kCut, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(CheckMenuItem(m_hMenu, 999, MF_BYCOMMAND | MF_CHECKED), kNoMenuItem);
  EXPECT_EQ(EnableMenuItem(m_hMenu, 99, MF_BYPOSITION | MF_GRAYED), kNoMenuItem);

  // A radio check marks one of a range and clears the others.
  EXPECT_TRUE(CheckMenuRadioItem(m_hMenu, kCopy, kDelete, kPaste, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(m_hMenu, kPaste, MF_BYCOMMAND), MF_GRAYED | MF_CHECKED | MFT_RADIOCHECK);
  EXPECT_TRUE(CheckMenuRadioItem(m_hMenu, 3, 5, 5, MF_BYPOSITION));
  EXPECT_EQ(GetMenuState(m_hMenu, kPaste, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(GetMenuState(m_hMenu, kDelete, MF_BYCOMMAND), MF_GRAYED | MF_CHECKED | MFT_RADIOCHECK);
  EXPECT_FALSE(CheckMenuRadioItem(m_hMenu, kCopy, kPaste, kSelectAll, MF_BYCOMMAND));

  EXPECT_TRUE(DestroyMenu(m_hMenu));
  EXPECT_FALSE(IsMenu(m_hMenu));
  EXPECT_FALSE(AppendMenu(m_hMenu, MF_STRING, 1, u"x"));
  EXPECT_EQ(GetMenuItemCount(m_hMenu), -1);
  m_hMenu = nullptr;
}

TEST_F(CMenuTest, MnemonicsShowWithoutTheirMarks) {
  EXPECT_EQ(win::SplitMnemonic(u"Select &All").strText, u"Select All");
  EXPECT_EQ(win::SplitMnemonic(u"Select &All").nMnemonic, 7u);
  EXPECT_EQ(win::SplitMnemonic(u"Save && &quit").strText, u"Save & quit");
  EXPECT_EQ(win::SplitMnemonic(u"Save && &quit").nMnemonic, 7u);
  EXPECT_EQ(win::SplitMnemonic(u"None&").strText, u"None");
  EXPECT_EQ(win::SplitMnemonic(u"None&").nMnemonic, std::u16string::npos);
}

TEST_F(CMenuTest, UpAndDownSkipSeparatorsAndGrayedItemsAndWrap) {
  std::vector<int> seen;
  UINT nCommand = Track([&](HMENU) {
    seen.push_back(Highlight());
    for (UINT vk : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_UP}) {
      EXPECT_TRUE(win::input::MenuKey(vk));
      seen.push_back(Highlight());
    }
    win::input::MenuKey(VK_RETURN);
  });
  // None at first; Copy, Select All, Copy again, then back round.
  EXPECT_EQ(seen, (std::vector<int>{-1, 1, 5, 1, 5, 1}));
  EXPECT_EQ(nCommand, kCopy);
  EXPECT_FALSE(win::GetTrackedMenu());
  EXPECT_FALSE(win::input::MenuKey(VK_DOWN));
  EXPECT_TRUE(COwnerLog::commands.empty());
}

TEST_F(CMenuTest, UpFromNothingIsTheLastItemAndEnterWithoutAHighlightKeepsTheMenuOpen) {
  UINT nCommand = Track([&](HMENU hMenu) {
    win::input::MenuKey(VK_RETURN);
    EXPECT_FALSE(win::IsMenuDone(hMenu));
    win::input::MenuKey(VK_UP);
    EXPECT_EQ(Highlight(), 5);
    win::input::MenuKey(VK_RETURN);
  });
  EXPECT_EQ(nCommand, kSelectAll);
}

TEST_F(CMenuTest, EscapeAndAClickOutsideCloseWithoutACommand) {
  EXPECT_EQ(Track([](HMENU) { win::input::MenuKey(VK_ESCAPE); }), 0u);
  EXPECT_EQ(Track([](HMENU) { win::input::MenuClick(-1); }), 0u);
  // A pick without TPM_RETURNCMD goes to the owner; a menu closed unpicked sends nothing.
  EXPECT_EQ(Track([](HMENU) { win::input::MenuClick(-1); }, 0), static_cast<UINT>(TRUE));
  EXPECT_TRUE(COwnerLog::commands.empty());
}

TEST_F(CMenuTest, AClickPicksAnItemButNotASeparatorOrAGrayedOne) {
  UINT nCommand = Track([](HMENU hMenu) {
    EXPECT_TRUE(win::input::MenuClick(4));
    EXPECT_TRUE(win::input::MenuClick(0));
    EXPECT_FALSE(win::IsMenuDone(hMenu));
    EXPECT_FALSE(win::input::MenuClick(6));
    // The pointer over a grayed item highlights nothing.
    win::input::MenuHover(5);
    EXPECT_EQ(Highlight(), 5);
    win::input::MenuHover(3);
    EXPECT_EQ(Highlight(), -1);
    win::input::MenuClick(5);
  });
  EXPECT_EQ(nCommand, kSelectAll);
}

TEST_F(CMenuTest, AMnemonicPicksItsItemInEitherCaseButNotAGrayedOne) {
  EXPECT_EQ(Track([](HMENU hMenu) {
              win::input::MenuChar(U't');
              win::input::MenuChar(U'x');
              EXPECT_FALSE(win::IsMenuDone(hMenu));
              win::input::MenuChar(U'A');
            }),
            kSelectAll);
  EXPECT_EQ(Track([](HMENU) { win::input::MenuChar(U'c'); }), kCopy);
}

TEST_F(CMenuTest, AMnemonicSharedByItemsHighlightsEachInTurn) {
  EnableMenuItem(m_hMenu, kCut, MF_BYCOMMAND | MF_ENABLED);
  AppendMenu(m_hMenu, MF_STRING, 300, u"&Copy again");
  UINT nCommand = Track([](HMENU) {
    win::input::MenuChar(U'c');
    EXPECT_EQ(Highlight(), 1);
    win::input::MenuChar(U'c');
    EXPECT_EQ(Highlight(), 6);
    win::input::MenuChar(U'c');
    EXPECT_EQ(Highlight(), 1);
    win::input::MenuKey(VK_RETURN);
  });
  EXPECT_EQ(nCommand, kCopy);
}

TEST_F(CMenuTest, ThePickReachesTheOwnerAfterTheViewsHeardTheMenuClose) {
  std::vector<std::string> eventsAtCommand;
  UINT nResult = Track(
      [&](HMENU hMenu) {
        auto track = win::GetTrackedMenu();
        ASSERT_TRUE(track);
        EXPECT_EQ(track->hMenu, hMenu);
        EXPECT_EQ(track->hOwner, m_hDlg);
        EXPECT_EQ(track->pt, (POINT{3, 4}));
        // A menu that is open can be neither opened again nor destroyed.
        EXPECT_FALSE(TrackPopupMenu(hMenu, TPM_RETURNCMD, 0, 0, 0, m_hDlg, nullptr));
        EXPECT_FALSE(DestroyMenu(hMenu));
        win::input::MenuKey(VK_DOWN);
        // Items changed while open reach the views too.
        CheckMenuItem(hMenu, kSelectAll, MF_BYCOMMAND | MF_CHECKED);
        win::input::MenuChar(U'a');
      },
      0);
  EXPECT_EQ(nResult, static_cast<UINT>(TRUE));
  EXPECT_EQ(m_observer.m_events, (std::vector<std::string>{"opened -1", "changed 1", "changed 1", "closed"}));
  EXPECT_EQ(COwnerLog::commands, std::vector<WPARAM>{MAKEWPARAM(kSelectAll, 0)});
}

TEST_F(CMenuTest, EndingTheDialogsOrTheOwnerClosesTheMenu) {
  EXPECT_EQ(Track([](HMENU hMenu) {
              EndModalDialogs(IDCANCEL, SIGTERM);
              EXPECT_TRUE(win::IsMenuDone(hMenu));
            }),
            0u);
  win::ForgetPendingEnd();
  EXPECT_EQ(Track([&](HMENU hMenu) {
              DestroyWindow(m_hDlg);
              EXPECT_TRUE(win::IsMenuDone(hMenu));
            }),
            0u);
  m_hDlg = nullptr;
}

TEST_F(CMenuTest, AControlPassesAMenuRequestItLeavesToItsDialog) {
  HWND hButton = GetDlgItem(m_hDlg, 12);
  EXPECT_TRUE(win::input::ContextMenu(hButton, POINT{-2, 7}));
  ASSERT_EQ(COwnerLog::contextMenus.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(COwnerLog::contextMenus[0]), -2);
  EXPECT_EQ(GET_Y_LPARAM(COwnerLog::contextMenus[0]), 7);
  ShowWindow(hButton, false);
  EXPECT_FALSE(win::input::ContextMenu(hButton, POINT{}));
  EXPECT_EQ(COwnerLog::contextMenus.size(), 1u);
}

// The edit box's own menu: what it cannot do is grayed, and its commands
// edit the box.
TEST_F(CMenuTest, AnEditBoxMenuGraysWhatItCannotDoAndItsCommandsEdit) {
  HWND hEdit = GetDlgItem(m_hDlg, 11);
  SetWindowText(hEdit, u"hello");
  win::SetClipboardText(u"");
  win::CScriptModalHost host(nullptr, IDCANCEL);
  win::SetModalHost(&host);
  // Opens the box's menu, notes its items and presses a key in it.
  auto menu = [&](char32_t key, HWND hBox) {
    std::vector<std::u16string> items;
    host.SetMenuScript([&](HMENU hMenu) {
      EXPECT_EQ(win::GetTrackedMenu()->hOwner, hBox);
      for (int i = 0; i < GetMenuItemCount(hMenu); ++i) {
        UINT state = GetMenuState(hMenu, i, MF_BYPOSITION);
        items.push_back((state & MF_SEPARATOR)
                            ? u"|"
                            : GetMenuString(hMenu, i, MF_BYPOSITION) + (state & MF_GRAYED ? u"-" : u"") +
                                  (state & MF_CHECKED ? u"*" : u""));
      }
      win::input::MenuChar(key);
    });
    EXPECT_TRUE(win::input::ContextMenu(hBox, POINT{1, 2}));
    return items;
  };
  auto selection = [&] {
    DWORD nStart = 0, nEnd = 0;
    SendMessage(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
    return std::pair{nStart, nEnd};
  };
  // A record box's forms follow, text without times at first.
  auto with = [](std::vector<std::u16string> items, std::u16string_view strText, std::u16string_view strHex,
                 std::u16string_view strTimes) {
    items.insert(items.end(), {u"|", std::u16string(strText), std::u16string(strHex), std::u16string(strTimes)});
    return items;
  };
  const std::u16string_view kText = u"Show Te&xt*", kHex = u"Show &Hex", kTimes = u"Show Ti&mes";
  EXPECT_EQ(menu(U'a', hEdit),
            with({u"Cu&t-", u"&Copy-", u"&Paste-", u"&Delete-", u"|", u"Select &All"}, kText, kHex, kTimes));
  EXPECT_EQ(selection(), (std::pair<DWORD, DWORD>{0, 5}));
  EXPECT_EQ(GetFocus(), hEdit);
  EXPECT_EQ(menu(U'c', hEdit),
            with({u"Cu&t", u"&Copy", u"&Paste-", u"&Delete", u"|", u"Select &All"}, kText, kHex, kTimes));
  EXPECT_EQ(win::GetClipboardText(), u"hello");
  EXPECT_EQ(menu(U'd', hEdit)[2], u"&Paste");
  EXPECT_EQ(GetWindowText(hEdit), u"");
  // An empty box has nothing to select; a read-only one takes nothing.
  EXPECT_EQ(menu(U'p', hEdit)[5], u"Select &All-");
  EXPECT_EQ(GetWindowText(hEdit), u"hello");
  HWND hFixed = GetDlgItem(m_hDlg, 13);
  SendMessage(hFixed, EM_SETSEL, 0, -1);
  EXPECT_EQ(menu(U't', hFixed),
            with({u"Cu&t-", u"&Copy", u"&Paste-", u"&Delete-", u"|", u"Select &All"}, kText, kHex, kTimes));
  EXPECT_EQ(GetWindowText(hFixed), u"fixed");

  // Their mnemonics pick a form: hex, times beside it, text again; each box has its own.
  EXPECT_EQ(menu(U'h', hEdit).back(), kTimes);
  EXPECT_EQ(menu(U'm', hEdit)[8], u"Show &Hex*");
  EXPECT_EQ(win::GetEditForm(hEdit), (win::SEditForm{true, true}));
  EXPECT_EQ(menu(U'x', hEdit).back(), u"Show Ti&mes*");
  EXPECT_EQ(win::GetEditForm(hEdit), (win::SEditForm{false, true}));
  EXPECT_EQ(win::GetEditForm(hFixed), win::SEditForm{});
  EXPECT_EQ(GetWindowText(hEdit), u"hello");
}

// The box's parent adds an item of its own: it hears the pick as a command,
// and the box's own items still edit the box.
TEST_F(CMenuTest, AnEditBoxsParentAddsItemsToItsMenuAndHearsTheirPicks) {
  HWND hEdit = GetDlgItem(m_hDlg, 11);
  SetWindowText(hEdit, u"hello");
  COwnerLog::ownItem = u"&Own";
  win::CScriptModalHost host(nullptr, IDCANCEL);
  win::SetModalHost(&host);
  std::vector<std::u16string> items;
  host.SetMenuScript([&](HMENU hMenu) {
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i) items.push_back(GetMenuString(hMenu, i, MF_BYPOSITION));
    win::input::MenuChar(U'o');
  });
  EXPECT_TRUE(win::input::ContextMenu(hEdit, POINT{}));
  EXPECT_EQ(items, (std::vector<std::u16string>{u"Cu&t", u"&Copy", u"&Paste", u"&Delete", u"", u"Select &All", u"",
                                                u"Show Te&xt", u"Show &Hex", u"Show Ti&mes", u"&Own"}));
  EXPECT_EQ(COwnerLog::menuBoxes, std::vector<HWND>{hEdit});
  EXPECT_EQ(COwnerLog::commands, std::vector<WPARAM>{MAKEWPARAM(kOwn, 0)});
  EXPECT_EQ(GetWindowText(hEdit), u"hello");

  host.SetMenuScript([](HMENU) { win::input::MenuChar(U'a'); });
  EXPECT_TRUE(win::input::ContextMenu(hEdit, POINT{}));
  EXPECT_EQ(COwnerLog::commands.size(), 1u);
  DWORD nStart = 0, nEnd = 0;
  SendMessage(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
  EXPECT_EQ(nEnd - nStart, 5u);
}

}  // namespace
