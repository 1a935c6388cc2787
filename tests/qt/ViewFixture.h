// Runs the whole application on the Qt view, offscreen, and lets a test act
// on the widgets as a person does. The script runs inside the dialog's event
// loop; a dialog still open when it returns is ended with IDABORT.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "QtView.h"
#include "VirtualClock.h"
#include "WinTypes.h"

class QComboBox;
class QMenu;

class CViewTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Timers run on virtual time unless a test asks for real time before it
  // starts the application.
  void UseRealTime() { m_bRealTime = true; }
  void RunApp(const std::function<void()>& script);
  int RunDialog(const std::function<void()>& script);

  HWND Item(int id) const;
  QWidget* Dialog() const { return m_pView->Widget(m_hDlg); }
  template <typename T>
  T* Widget(int id) const {
    return dynamic_cast<T*>(m_pView->Widget(Item(id)));
  }
  int IdOf(const QWidget* pWidget) const;
  std::u16string Text(int id) const;
  int Selection(int id) const;
  void Advance(int64_t nMs) { m_clock.Advance(nMs); }

  // A person's mouse: a click on a button, a pick from a list's popup.
  void ClickButton(int id);
  void PickItem(int id, int nIndex);
  // Replaces a field's text by typing, as a person selects all and types.
  void TypeInto(QWidget* pWidget, const QString& text);
  // Opens a pop-up menu by open(), which returns once the menu has closed,
  // and has the person work the menu meanwhile. A menu the person leaves
  // open fails the test.
  void WorkMenu(const std::function<void()>& open, const std::function<void(QMenu*)>& person);

  std::unique_ptr<qtview::CQtView> m_pView;
  HWND m_hDlg = nullptr;
  win::CVirtualClock m_clock;
  bool m_bRealTime = false;
};
