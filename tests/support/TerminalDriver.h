// Runs the whole application headless on a virtual clock and drives the
// dialog as a person does. Works with whichever serial library is linked.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Dialog.h"
#include "TestText.h"
#include "VirtualClock.h"
#include "WinTypes.h"
#include "Window.h"

class CTerminalDriver : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the application; the script runs inside the dialog's modal loop.
  // A dialog still open when the script returns is ended with IDABORT.
  void RunApp(const std::function<void()>& script);
  // Runs a terminal dialog modally and answers how it ended.
  int RunDialog(const std::function<void()>& script);

  HWND Item(int id) const;
  bool Click(int id);
  bool Pick(int id, int nIndex);
  bool Type(int id, std::u16string_view text);
  std::u16string Text(int id) const;
  int Selection(int id) const;
  void Advance(int64_t nMs) { m_clock.Advance(nMs); }
  // Opens a control's menu as a person does (a right click, the Menu key)
  // and lets the person work it; returns once it has closed.
  bool WorkMenu(int id, std::function<void(HMENU)> person);
  // A menu's items as a person reads them: checked ones marked with a +,
  // grayed ones with a -, separators as |.
  static std::vector<std::u16string> MenuItems(HMENU hMenu);

  // A message box that comes up runs this script inside its own modal loop;
  // without one it ends at once with IDABORT.
  void AnswerBoxes(std::function<void(HWND hBox)> answer) { m_answerBox = std::move(answer); }
  // A box as a person sees it: its text, its buttons, a click on one of them.
  static std::u16string BoxText(HWND hBox);
  static std::vector<std::u16string> BoxButtons(HWND hBox);
  static bool ClickBoxButton(HWND hBox, std::u16string_view caption);

  HWND m_hDlg = nullptr;
  std::function<void(HWND)> m_answerBox;
  std::function<void(HMENU)> m_menuPerson;
  win::CVirtualClock m_clock;
};
