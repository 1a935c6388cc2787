// The platform rules the terminal depends on: lists, timers, the clock,
// the notifications a view gets and the modal runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include "Dialog.h"
#include "EditBox.h"
#include "MessageBox.h"
#include "Mnemonic.h"
#include "Timer.h"
#include "UserInput.h"
#include "VirtualClock.h"
#include "Window.h"
#include "WindowObserver.h"

namespace {

struct CMessageLog {
  static inline std::vector<std::pair<UINT, WPARAM>> messages;
  static LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND || m == WM_TIMER) messages.emplace_back(m, w);
    return DefWindowProc(h, m, w, l);
  }
};

class CWindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetClock(&m_clock);
    CMessageLog::messages.clear();
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
        {{WindowClass::ComboBox, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN, 10, nullptr, 0, 0, 50, 50},
         {WindowClass::Edit, WS_VISIBLE | WS_TABSTOP, 11, nullptr, 0, 60, 50, 10}}};
    m_hDlg = CreateDialogIndirect(tmpl, nullptr, CMessageLog::Proc, nullptr);
    m_hCombo = GetDlgItem(m_hDlg, 10);
    for (const char16_t* item : {u"one", u"two", u"three"})
      SendMessage(m_hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  void TearDown() override {
    DestroyWindow(m_hDlg);
    win::SetClock(nullptr);
  }
  size_t Ticks(WPARAM id) const {
    return static_cast<size_t>(
        std::count(CMessageLog::messages.begin(), CMessageLog::messages.end(), std::pair<UINT, WPARAM>{WM_TIMER, id}));
  }

  win::CVirtualClock m_clock;
  HWND m_hDlg = nullptr;
  HWND m_hCombo = nullptr;
};

TEST_F(CWindowSystemTest, ListSelectionFollowsThePlatform) {
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), CB_ERR);
  // Set by code: no notification.
  EXPECT_EQ(SendMessage(m_hCombo, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(GetWindowText(m_hCombo), u"two");
  EXPECT_TRUE(CMessageLog::messages.empty());
  // Out of range and -1 clear the selection and the field.
  EXPECT_EQ(SendMessage(m_hCombo, CB_SETCURSEL, 7, 0), CB_ERR);
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(GetWindowText(m_hCombo), u"");
  // A person's pick selects, shows the item and notifies.
  EXPECT_TRUE(win::input::Pick(m_hCombo, 2));
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(GetWindowText(m_hCombo), u"three");
  ASSERT_EQ(CMessageLog::messages.size(), 1u);
  EXPECT_EQ(CMessageLog::messages[0].second, MAKEWPARAM(10, CBN_SELCHANGE));
  EXPECT_FALSE(win::input::Pick(m_hCombo, 3));
  // Up and Down pick the neighbouring item and notify; at an end nothing happens.
  EXPECT_TRUE(win::input::Key(m_hCombo, VK_UP));
  EXPECT_EQ(GetWindowText(m_hCombo), u"two");
  win::input::Key(m_hCombo, VK_DOWN);
  win::input::Key(m_hCombo, VK_DOWN);
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(CMessageLog::messages.size(), 3u);
  // Typing leaves no selection, even when the text matches an item.
  EXPECT_TRUE(win::input::Edit(m_hCombo, u"one"));
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(GetWindowText(m_hCombo), u"one");
  // With none selected, Down picks the first item.
  win::input::Key(m_hCombo, VK_DOWN);
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(CMessageLog::messages.back().second, MAKEWPARAM(10, CBN_SELCHANGE));
}

TEST_F(CWindowSystemTest, AComboItemIsReadByIndexAndNothingElseHasOne) {
  EXPECT_EQ(GetComboItemText(m_hCombo, 0), u"one");
  EXPECT_EQ(GetComboItemText(m_hCombo, 2), u"three");
  for (int nOutside : {-1, 3}) EXPECT_EQ(GetComboItemText(m_hCombo, nOutside), u"") << nOutside;
  const HWND hEdit = GetDlgItem(m_hDlg, 11);
  SetWindowText(hEdit, u"typed");
  EXPECT_EQ(GetComboItemText(hEdit, 0), u"");
  EXPECT_EQ(GetComboItemText(nullptr, 0), u"");
}

TEST_F(CWindowSystemTest, TimersClampRestartAndNeverBurst) {
  SetTimer(m_hDlg, 1, 0);
  EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 1), 10u);
  SetTimer(m_hDlg, 2, static_cast<UINT>(-5));
  EXPECT_EQ(win::GetTimerPeriod(m_hDlg, 2), 0x7FFFFFFFu);
  KillTimer(m_hDlg, 2);

  m_clock.Advance(95);
  EXPECT_EQ(Ticks(1), 9u);
  // Setting a running id restarts its period from now.
  SetTimer(m_hDlg, 1, 50);
  m_clock.Advance(45);
  EXPECT_EQ(Ticks(1), 9u);
  m_clock.Advance(5);
  EXPECT_EQ(Ticks(1), 10u);

  // A timer that falls behind delivers one tick, then keeps its phase.
  struct CJumpClock final : win::CClock {
    int64_t m_nNow = 0;
    int64_t NowMs() const override { return m_nNow; }
    int64_t WallMs() const override { return m_nNow; }
  } jump;
  win::SetClock(&jump);
  SetTimer(m_hDlg, 3, 10);
  jump.m_nNow = 1000;
  int nDelivered = 0;
  while (win::DispatchDueTimer()) ++nDelivered;
  EXPECT_EQ(nDelivered, 2);  // timer 1 and timer 3, once each
  EXPECT_EQ(Ticks(3), 1u);
  EXPECT_GT(*win::NextTimerDue(), 1000);

  // Killing removes the pending tick; a destroyed window's timers end.
  KillTimer(m_hDlg, 3);
  jump.m_nNow = 5000;
  while (win::DispatchDueTimer()) {
  }
  EXPECT_EQ(Ticks(3), 1u);
  DestroyWindow(m_hDlg);
  m_hDlg = nullptr;
  EXPECT_FALSE(win::NextTimerDue());
}

TEST_F(CWindowSystemTest, VirtualTimeDeliversDueTicksInTimeOrder) {
  SetTimer(m_hDlg, 1, 30);
  SetTimer(m_hDlg, 2, 20);
  m_clock.Advance(60);
  std::vector<WPARAM> order;
  for (auto [m, w] : CMessageLog::messages) order.push_back(w);
  // 20, 30, 40, 60 (timer 1 was set first, so it goes first at 60).
  EXPECT_EQ(order, (std::vector<WPARAM>{2, 1, 2, 1, 2}));
  EXPECT_EQ(m_clock.NowMs(), 60);
}

TEST_F(CWindowSystemTest, ViewsHearAppendsAsAppendsAndOtherChangesAsReplacements) {
  struct CRecorder final : win::CWindowObserver {
    std::vector<size_t> changes;
    void OnTextChanged(HWND, size_t nFrom) override { changes.push_back(nFrom); }
  } recorder;
  win::AddWindowObserver(&recorder);
  HWND hEdit = GetDlgItem(m_hDlg, 11);
  win::CSharedText record(u"abc");
  SetWindowTextShared(hEdit, record);
  record.Append(u"de");
  SetWindowTextShared(hEdit, record);
  SetWindowTextShared(hEdit, record);  // unchanged: no news
  win::input::Edit(hEdit, u"typed");
  record.Append(u"f");
  SetWindowTextShared(hEdit, record);
  win::RemoveWindowObserver(&recorder);
  EXPECT_EQ(recorder.changes, (std::vector<size_t>{win::CWindowObserver::kReplaced, 3, win::CWindowObserver::kReplaced,
                                                   win::CWindowObserver::kReplaced}));
  EXPECT_EQ(GetWindowText(hEdit), u"abcdef");
}

TEST_F(CWindowSystemTest, AnEditBoxsTagIsToldToTheViewsWhenItChangesAndOnlyAnEditBoxHasOne) {
  struct CRecorder final : win::CWindowObserver {
    std::vector<std::u16string> tags;
    void OnTagChanged(HWND h) override { tags.push_back(win::GetEditTag(h)); }
  } recorder;
  win::AddWindowObserver(&recorder);
  HWND hEdit = GetDlgItem(m_hDlg, 11);
  auto setTag = [](HWND h, std::u16string_view tag) {
    return SendMessage(h, EM_SETTAG, tag.size(), reinterpret_cast<LPARAM>(tag.data()));
  };
  EXPECT_EQ(setTag(hEdit, u"HEX"), TRUE);
  EXPECT_EQ(setTag(hEdit, u"HEX"), TRUE);  // unchanged: no news
  EXPECT_EQ(setTag(hEdit, u""), TRUE);
  setTag(m_hCombo, u"HEX");
  win::RemoveWindowObserver(&recorder);
  EXPECT_EQ(recorder.tags, (std::vector<std::u16string>{u"HEX", u""}));
  EXPECT_EQ(win::GetEditTag(m_hCombo), u"");
  EXPECT_EQ(win::GetEditTag(nullptr), u"");
}

// A modal run of a dialog with one button, owned by hOwner.
int RunBox(HWND hOwner) {
  win::DialogTemplate tmpl{WS_POPUP | WS_VISIBLE,
                           0,
                           0,
                           0,
                           60,
                           30,
                           u"box",
                           u"System",
                           8,
                           {{WindowClass::Button, WS_VISIBLE | WS_TABSTOP, IDOK, u"OK", 5, 5, 50, 14}}};
  return DialogBoxIndirect(tmpl, hOwner, CMessageLog::Proc, nullptr);
}

TEST_F(CWindowSystemTest, APendingEndEndsTheRunningDialogsAndEveryModalRunStartedLater) {
  int nBoxScripts = 0;
  int nBox = 0;
  win::CScriptModalHost host(
      [&](HWND hDlg) {
        EXPECT_EQ(win::EndingSignal(), 0);
        EXPECT_FALSE(IsWindowEnabled(m_hDlg));
        EndModalDialogs(IDCANCEL, SIGTERM);
        EXPECT_TRUE(IsDialogEnded(hDlg));
        // A second signal changes neither the result nor the signal kept.
        EndModalDialogs(IDABORT, SIGINT);
        // A box asked for afterwards ends before its loop runs.
        nBox = RunBox(hDlg);
      },
      IDOK, [&](HWND) { ++nBoxScripts; });
  win::SetModalHost(&host);
  EXPECT_EQ(RunBox(m_hDlg), IDCANCEL);
  EXPECT_EQ(nBox, IDCANCEL);
  EXPECT_EQ(nBoxScripts, 0);
  EXPECT_EQ(win::EndingSignal(), SIGTERM);
  EXPECT_TRUE(IsWindowEnabled(m_hDlg));
  // So does a dialog run after the one the signal ended.
  EXPECT_EQ(RunBox(m_hDlg), IDCANCEL);

  win::ForgetPendingEnd();
  EXPECT_EQ(win::EndingSignal(), 0);
  win::CScriptModalHost quiet([](HWND) {}, IDOK);
  win::SetModalHost(&quiet);
  EXPECT_EQ(RunBox(m_hDlg), IDOK);
  win::SetModalHost(nullptr);
}

TEST_F(CWindowSystemTest, AYesNoBoxAnswersYAndNWithAltOrWithoutAndNoIsItsDefault) {
  struct CCase {
    UINT vk;
    bool bAlt;
    int nAnswer;
  };
  for (const CCase& c : {CCase{'Y', false, IDYES}, {'N', false, IDNO}, {'Y', true, IDYES}, {'N', true, IDNO}}) {
    SCOPED_TRACE(testing::Message() << static_cast<char>(c.vk) << (c.bAlt ? " with Alt" : ""));
    // Alone the letter is typed; with Alt it is a key.
    const auto press = [&](HWND hBox, UINT vk) {
      return c.bAlt ? win::input::PressKey(hBox, vk, win::input::kAlt)
                    : win::input::Type(hBox, static_cast<char32_t>(vk - 'A' + 'a'));
    };
    win::CScriptModalHost host(
        [&](HWND hBox) {
          EXPECT_EQ(GetWindowText(GetFocus()), u"&No");
          // A letter no button has does nothing.
          EXPECT_FALSE(press(hBox, 'X'));
          EXPECT_FALSE(IsDialogEnded(hBox));
          EXPECT_TRUE(press(hBox, c.vk));
          EXPECT_TRUE(IsDialogEnded(hBox));
        },
        IDABORT);
    win::SetModalHost(&host);
    EXPECT_EQ(MessageBox(m_hDlg, u"End the terminal?", u"test", MB_YESNO | MB_DEFBUTTON2), c.nAnswer);
    win::SetModalHost(nullptr);
  }
}

TEST_F(CWindowSystemTest, AMnemonicClicksItsButtonUnlessItIsTypingInAField) {
  // A group box with the same mnemonic, before the button, is not clicked.
  CreateWindowFromParams({.cls = WindowClass::Button,
                          .style = WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
                          .id = 41,
                          .text = u"&Gauges",
                          .parent = m_hDlg});
  HWND hGo = CreateWindowFromParams({.cls = WindowClass::Button,
                                     .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                     .id = 40,
                                     .text = u"Save && &go",
                                     .parent = m_hDlg});
  EXPECT_EQ(win::ShownCaption(u"Save && &go").strText, u"Save & go");
  EXPECT_EQ(win::ShownCaption(u"Save && &go").nMark, 7u);
  EXPECT_EQ(win::ShownCaption(u"OK").nMark, std::u16string::npos);
  EXPECT_EQ(win::MnemonicKey(u"Save && &go"), UINT{'G'});
  EXPECT_EQ(win::MnemonicKey(u"A && B"), 0u);
  const auto clicks = [] {
    return std::ranges::count(CMessageLog::messages, std::pair<UINT, WPARAM>{WM_COMMAND, MAKEWPARAM(40, BN_CLICKED)});
  };
  // In an edit box or a list's field a letter is typing; with Alt it is the mnemonic.
  for (int id : {10, 11}) {
    SetFocus(GetDlgItem(m_hDlg, id));
    EXPECT_TRUE(win::input::Type(m_hDlg, U'g'));
    EXPECT_EQ(clicks(), 0);
    EXPECT_TRUE(win::input::PressKey(m_hDlg, 'G', win::input::kAlt));
    EXPECT_EQ(clicks(), 1);
    CMessageLog::messages.clear();
  }
  // The click takes the focus, as a click does; there the letter alone clicks.
  EXPECT_EQ(GetFocus(), hGo);
  EXPECT_TRUE(win::input::Type(m_hDlg, U'g'));
  EXPECT_EQ(clicks(), 1);
  // A disabled button has no mnemonic.
  EnableWindow(hGo, false);
  EXPECT_FALSE(win::input::PressKey(m_hDlg, 'G', win::input::kAlt));
  EXPECT_EQ(clicks(), 1);
}

}  // namespace

TEST_F(CWindowSystemTest, APersonsInputReachesTheControlsProcedureAsMessages) {
  // A procedure in front of the list's class procedure sees the person's
  // pick and typing, and can refuse them.
  static std::vector<UINT> seen;
  static bool bRefuse = false;
  seen.clear();
  static WNDPROC classProc = nullptr;
  classProc = SetWindowProc(m_hCombo, [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    seen.push_back(m);
    if (bRefuse) return FALSE;
    return classProc(h, m, w, l);
  });
  EXPECT_TRUE(win::input::Pick(m_hCombo, 1));
  EXPECT_TRUE(win::input::Edit(m_hCombo, u"typed"));
  EXPECT_EQ(seen, (std::vector<UINT>{CB_INPUTPICK, WM_INPUTTEXT}));
  bRefuse = true;
  EXPECT_FALSE(win::input::Pick(m_hCombo, 0));
  EXPECT_FALSE(win::input::Edit(m_hCombo, u"more"));
  bRefuse = false;
  EXPECT_EQ(GetWindowText(m_hCombo), u"typed");
  EXPECT_EQ(SendMessage(m_hCombo, CB_GETCURSEL, 0, 0), CB_ERR);
  ASSERT_EQ(CMessageLog::messages.size(), 2u);
  EXPECT_EQ(CMessageLog::messages[0].second, MAKEWPARAM(10, CBN_SELCHANGE));
  EXPECT_EQ(CMessageLog::messages[1].second, MAKEWPARAM(10, CBN_EDITCHANGE));

  // A group box and a hidden button cannot be clicked; a label takes no typing.
  HWND hGroup = CreateWindowFromParams(
      {.cls = WindowClass::Button, .style = WS_CHILD | WS_VISIBLE | BS_GROUPBOX, .id = 20, .parent = m_hDlg});
  HWND hHidden = CreateWindowFromParams({.cls = WindowClass::Button, .style = WS_CHILD, .id = 21, .parent = m_hDlg});
  HWND hLabel = CreateWindowFromParams(
      {.cls = WindowClass::Static, .style = WS_CHILD | WS_VISIBLE, .id = 22, .text = u"label", .parent = m_hDlg});
  EXPECT_FALSE(win::input::Click(hGroup));
  EXPECT_FALSE(win::input::Click(hHidden));
  EXPECT_FALSE(win::input::Edit(hLabel, u"x"));
  EXPECT_FALSE(win::input::Pick(GetDlgItem(m_hDlg, 11), 0));
  EXPECT_EQ(GetWindowText(hLabel), u"label");
  EXPECT_EQ(CMessageLog::messages.size(), 2u);
}

TEST_F(CWindowSystemTest, AHandleThatIsNotAWindowAnswersAsThePlatformDoes) {
  HWND hGone = CreateWindowFromParams(
      {.cls = WindowClass::Edit, .style = WS_CHILD | WS_VISIBLE, .id = 30, .text = u"gone", .parent = m_hDlg});
  SetFocus(hGone);
  EXPECT_TRUE(DestroyWindow(hGone));
  EXPECT_EQ(GetFocus(), nullptr);
  SetFocus(m_hCombo);
  for (HWND h : {hGone, static_cast<HWND>(nullptr)}) {
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_EQ(SendMessage(h, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(DefWindowProc(h, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_FALSE(SetWindowText(h, u"x"));
    EXPECT_EQ(GetWindowText(h), u"");
    EXPECT_EQ(GetWindowTextLength(h), 0);
    char16_t buffer[4] = u"abc";
    EXPECT_EQ(GetWindowText(h, buffer, 4), 0);
    EXPECT_TRUE(GetWindowTextShared(h).IsEmpty());
    EXPECT_EQ(GetWindowClass(h), WindowClass::None);
    EXPECT_EQ(GetWindowStyle(h), 0u);
    EXPECT_EQ(GetDlgCtrlID(h), 0);
    EXPECT_EQ(GetParent(h), nullptr);
    EXPECT_TRUE(GetChildren(h).empty());
    EXPECT_EQ(GetDlgItem(h, 10), nullptr);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_EQ(GetWindowRect(h), RECT{});
    EXPECT_FALSE(MoveWindow(h, RECT{1, 2, 3, 4}));
    EXPECT_EQ(SetWindowProc(h, DefWindowProc), nullptr);
    EXPECT_EQ(GetWindowUserData(h), nullptr);
    EXPECT_EQ(GetWindowIcon(h, ICON_BIG), nullptr);
    EXPECT_EQ(SetTimer(h, 1, 10), 0u);
    EXPECT_FALSE(win::input::Click(h));
    EXPECT_FALSE(win::input::Edit(h, u"x"));
    EXPECT_FALSE(win::input::Pick(h, 0));
    EXPECT_FALSE(win::input::Focus(h));
    EXPECT_EQ(CreateWindowFromParams({.cls = WindowClass::Static, .parent = hGone}), nullptr);
  }
  EXPECT_EQ(SetFocus(hGone), nullptr);
  EXPECT_EQ(GetFocus(), m_hCombo);
  EXPECT_EQ(GetChildren(m_hDlg).size(), 2u);
}
