// The person's terminal, through ncurses: the only place that talks to it.
// Drawing goes to ncurses' picture of the screen, and Flush sends the cells
// that changed. Keys and mouse reports come back decoded. The terminal is
// restored by Stop, and by a crash signal's handler without ncurses.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CellLayout.h"
#include "WinTypes.h"

struct screen;

namespace tui {

enum class EStyle {
  Dialog,      // the dialog's colours
  Caption,     // the caption line
  Field,       // edit boxes, a list's field, record boxes: white
  Greyed,      // a disabled record box: grey text on the face
  Selected,    // a highlighted list item, selected record text
  Button,      // a push button's face
  Focused,     // a push button with the focus
  ScrollBar,   // a record box's scroll bar track
  Thumb,       // its thumb
  Request,     // the request to enlarge the terminal
  Menu,        // a pop-up menu's face
  GreyedItem,  // a grayed menu item: grey text on the face
};

enum class EKey {
  None,
  Char,
  Tab,
  BackTab,
  Enter,
  Escape,
  Up,
  Down,
  Left,
  Right,
  Home,
  End,
  PageUp,
  PageDown,
  Backspace,
  Delete,
  Insert,
  DropDown,     // F4 or Alt+Down
  ContextMenu,  // Shift+F10 or the Menu key
  Paste,        // a bracketed paste, whose text is in strText
  Mouse,
};

enum class EMouse { Press, Release, Drag, WheelUp, WheelDown, RightPress };

struct SInput {
  EKey key = EKey::None;
  char32_t ch = 0;  // with Ctrl, the letter's capital
  bool bShift = false;
  bool bCtrl = false;
  bool bAlt = false;  // a character typed with Alt
  EMouse mouse = EMouse::Press;
  int x = 0, y = 0;
  std::u16string strText{};  // a paste's, its line breaks as CR LF
};

enum class EColourDepth { Direct, Palette256, None };

class CScreen {
 public:
  CScreen() = default;
  ~CScreen();
  CScreen(const CScreen&) = delete;
  CScreen& operator=(const CScreen&) = delete;

  // Takes over the terminal on the two streams; false (with the reason in
  // *pError) when it cannot.
  bool Start(FILE* pIn, FILE* pOut, std::string* pError);
  // Leaves the terminal as it was found.
  void Stop();
  bool IsStarted() const { return m_pScreen != nullptr; }
  int InputFd() const { return m_nInFd; }

  // The dialog's colours, as its procedure answers for them.
  void SetDialogColours(COLORREF background, COLORREF text);

  // Takes the terminal's new size after a SIGWINCH.
  void Resize();
  SIZE Size() const;

  void Fill(const SCellRect& rect, EStyle style);
  // Draws text at (x, y) in at most nCells cells, padding the rest with
  // blanks; control characters show as their pictures.
  void Put(int x, int y, std::u16string_view text, int nCells, EStyle style);
  // A marked character (a caption's mnemonic) is underlined.
  void PutChar(int x, int y, char32_t c, EStyle style, bool bMarked = false);
  void Frame(const SCellRect& rect, EStyle style);
  void SetCursor(std::optional<std::pair<int, int>> cursor);
  void Invalidate();  // the next Flush sends every cell
  void Flush();

  // The next key or mouse report waiting on the input, if any.
  std::optional<SInput> Read();
  // Puts text on the terminal's clipboard where it takes OSC 52.
  void Copy(std::u16string_view text);
  // What puts the terminal back without ncurses, for a crash signal.
  std::string LeaveSequence() const;

 private:
  // The rest of an open paste, once its closing sequence has come.
  std::optional<SInput> ReadPaste();
  int Attributes(EStyle style) const;
  void MakePairs();

  ::screen* m_pScreen = nullptr;
  FILE* m_pOut = nullptr;
  int m_nInFd = -1;
  EColourDepth m_depth = EColourDepth::None;
  COLORREF m_background = RGB(255, 255, 255);
  COLORREF m_text = RGB(0, 0, 0);
  // Keys the terminal sends as sequences ncurses may not name (Alt+Down,
  // Ctrl with the arrows, Home, End and Insert), with the codes it gives them.
  struct SSequenceKey {
    int nCode;
    EKey key;
    bool bShift;
    bool bCtrl;
  };
  std::vector<SSequenceKey> m_vecSequenceKeys;
  // The code of a paste's closing sequence, and the paste read so far while
  // one is open.
  int m_nPasteEnd = 0;
  std::optional<std::u16string> m_pasting;
  std::optional<std::pair<int, int>> m_cursor;
};

// Nearest of the 256-colour palette's fixed colours (16 to 255).
int NearestPaletteColour(COLORREF colour);

}  // namespace tui
