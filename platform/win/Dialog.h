// The dialog manager: dialogs built from templates, the modal run, keyboard
// navigation and the dialog's base units.
#pragma once

#include <functional>
#include <string_view>

#include "Resource.h"
#include "WinTypes.h"

namespace win {

// Dialog base units for a dialog font. The view installs the desktop's font
// metrics; without one, the headless system uses fixed units.
using FontMetricsProvider = std::function<SIZE(std::u16string_view fontName, int pointSize)>;
void SetFontMetricsProvider(FontMetricsProvider provider);
SIZE GetDialogBaseUnits(std::u16string_view fontName, int pointSize);
// Dialog units to pixels, truncating as the platform does.
RECT MapDialogRect(const RECT& dlu, SIZE baseUnits);

// Runs a modal dialog's message loop until the dialog has ended. The desktop
// view runs it in its event loop; tests run a script in it.
class CModalHost {
 public:
  virtual ~CModalHost() = default;
  virtual void RunModalLoop(HWND hDlg) = 0;
  // Runs the loop while a pop-up menu is open, until IsMenuDone(hMenu).
  virtual void RunMenuLoop(HMENU hMenu) = 0;
};
void SetModalHost(CModalHost* pHost);

// The signal of the pending end (EndModalDialogs), so the program can raise it
// again once it has cleaned up; 0 while there is none.
int EndingSignal();
// Forgets the pending end, for a program run again in the same process.
void ForgetPendingEnd();

// A modal loop that is a script: the script drives the dialog, and a dialog
// still open when it returns is ended with nResult. A modal run started
// inside it (a message box) runs the nested script, or ends at once with
// nResult when there is none. A menu opened inside it runs the menu script,
// and closes unpicked when that leaves it open.
class CScriptModalHost final : public CModalHost {
 public:
  CScriptModalHost(std::function<void(HWND)> script, int nResult, std::function<void(HWND)> nested = {})
      : m_script(std::move(script)), m_nested(std::move(nested)), m_nResult(nResult) {}
  void RunModalLoop(HWND hDlg) override;
  void RunMenuLoop(HMENU hMenu) override;
  void SetMenuScript(std::function<void(HMENU)> script) { m_menu = std::move(script); }

 private:
  std::function<void(HWND)> m_script;
  std::function<void(HWND)> m_nested;
  std::function<void(HMENU)> m_menu;
  int m_nResult;
  int m_nDepth = 0;
};

}  // namespace win

// Creates the dialog and its controls in template order, hidden where the
// template says so, then sends WM_INITDIALOG; focus goes to the first tab
// stop when the dialog procedure answers TRUE.
HWND CreateDialogIndirect(const win::DialogTemplate& tmpl, HWND hParent, WNDPROC proc, void* userData);
// Creates the dialog, runs it modally and destroys it; answers EndDialog's
// result. An owner (hParent) is disabled for the run.
int DialogBoxIndirect(const win::DialogTemplate& tmpl, HWND hParent, WNDPROC proc, void* userData);
BOOL EndDialog(HWND hDlg, int nResult);
bool IsDialogEnded(HWND hDlg);
// The program is told to end by nSignal: an open menu closes, every dialog in its
// modal run ends with nResult, its procedure unasked, and the end stays pending, so
// a modal run started later ends at once with it too. The first end is the one kept.
void EndModalDialogs(int nResult, int nSignal);
HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, bool bPrevious);
// Keyboard handling of the dialog manager, for every key pressed in the
// dialog (nModifiers as win::input's). It asks the focused control which keys
// it wants (WM_GETDLGCODE) and hands it those as WM_KEYDOWN. Of the rest, Tab
// and Shift+Tab move the focus, and select the whole text of an edit box
// they move to; Enter is the command of the focused push button, else of the
// default push button, else the OK command; Escape is the Cancel command. A
// letter or digit with Alt clicks the button whose mnemonic it is (&Yes: Y).
// False for a key no one took.
bool IsDialogMessage(HWND hDlg, UINT vk, UINT nModifiers);
// A character typed in the dialog, as WM_CHAR to the focused control if it
// wants characters; else it clicks the button whose mnemonic it is.
bool IsDialogChar(HWND hDlg, char32_t c);
