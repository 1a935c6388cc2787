#include "Screen.h"

#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CellText.h"

// After the window system's types: curses defines TRUE and FALSE as macros.
#include <curses.h>
#include <term.h>

namespace tui {

namespace {

// Bracketed paste on and off.
constexpr const char* kPasteOn = "\033[?2004h";
constexpr const char* kPasteOff = "\033[?2004l";

enum EPair : short {
  kDialog = 1,
  kCaption,
  kField,
  kSelected,
  kButton,
  kFocused,
  kScrollBar,
  kThumb,
  kRequest,
  kMenu,
  kGreyed
};

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kFace = RGB(212, 208, 200);
constexpr COLORREF kShadow = RGB(128, 128, 128);

int PaletteLevel(int n) { return n == 0 ? 0 : 55 + 40 * n; }

bool IsUtf8Locale() {
  const char* pszCodeset = nl_langinfo(CODESET);
  return pszCodeset && (std::strcmp(pszCodeset, "UTF-8") == 0 || std::strcmp(pszCodeset, "utf8") == 0);
}

// Direct colour: the terminal description has it, or COLORTERM says the
// terminal takes it and a "-direct" description of the same family exists.
std::string TerminalName() {
  const char* pszTerm = std::getenv("TERM");
  const char* pszColour = std::getenv("COLORTERM");
  if (!pszTerm || !pszColour || (std::strcmp(pszColour, "truecolor") != 0 && std::strcmp(pszColour, "24bit") != 0))
    return pszTerm ? pszTerm : "";
  std::string strTerm = pszTerm;
  std::string strDirect = strTerm.substr(0, strTerm.find('-')) + "-direct";
  int nError = 0;
  if (setupterm(strTerm.c_str(), -1, &nError) == OK) {
    int nColours = tigetnum(const_cast<char*>("colors"));
    TERMINAL* pTerm = cur_term;
    del_curterm(pTerm);
    if (nColours >= 0x1000000) return strTerm;
  }
  if (setupterm(strDirect.c_str(), -1, &nError) == OK) {
    del_curterm(cur_term);
    return strDirect;
  }
  return strTerm;
}

// Why the terminal named strTerm cannot show the dialog, or empty: a dialog needs a known
// type that can move the cursor ("dumb" and the like only write on).
std::string TerminalFault(const std::string& strTerm, int nFd) {
  constexpr const char* kSetTerm = "; set TERM to your terminal's type, for example xterm-256color";
  if (strTerm.empty()) return std::string("TERM is not set") + kSetTerm;
  int nError = 0;
  if (setupterm(strTerm.c_str(), nFd, &nError) != OK)
    return "the terminal type \"" + strTerm + "\" is not known" + kSetTerm;
  const char* pszMove = tigetstr(const_cast<char*>("cup"));
  del_curterm(cur_term);
  if (pszMove == nullptr || pszMove == reinterpret_cast<char*>(-1))
    return "the terminal type \"" + strTerm + "\" cannot move the cursor" + kSetTerm;
  return {};
}

std::string Base64(const std::string& in) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned n = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                 static_cast<unsigned char>(in[i + 2]);
    for (int k = 18; k >= 0; k -= 6) out += kDigits[(n >> k) & 63];
  }
  if (i < in.size()) {
    unsigned n = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) n |= static_cast<unsigned char>(in[i + 1]) << 8;
    out += kDigits[(n >> 18) & 63];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < in.size() ? kDigits[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A string capability, or empty.
std::string Capability(const char* pszName) {
  char* psz = tigetstr(const_cast<char*>(pszName));
  if (!psz || psz == reinterpret_cast<char*>(-1)) return {};
  return psz;
}

}  // namespace

int NearestPaletteColour(COLORREF colour) {
  int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  auto distance = [&](int r2, int g2, int b2) {
    return (r - r2) * (r - r2) + (g - g2) * (g - g2) + (b - b2) * (b - b2);
  };
  int nBest = 16, nBestDistance = 1 << 30;
  for (int n = 16; n < 256; ++n) {
    int r2, g2, b2;
    if (n < 232) {
      r2 = PaletteLevel((n - 16) / 36);
      g2 = PaletteLevel((n - 16) / 6 % 6);
      b2 = PaletteLevel((n - 16) % 6);
    } else {
      r2 = g2 = b2 = 8 + 10 * (n - 232);
    }
    if (int d = distance(r2, g2, b2); d < nBestDistance) {
      nBest = n;
      nBestDistance = d;
    }
  }
  return nBest;
}

CScreen::~CScreen() { Stop(); }

bool CScreen::Start(FILE* pIn, FILE* pOut, std::string* pError) {
  std::setlocale(LC_CTYPE, "");
  // Pictures of control characters need UTF-8 on the way out.
  if (!IsUtf8Locale()) std::setlocale(LC_CTYPE, "C.UTF-8");
  std::string strTerm = TerminalName();
  if (std::string strFault = TerminalFault(strTerm, fileno(pOut)); !strFault.empty()) {
    if (pError) *pError = strFault;
    return false;
  }
  m_pScreen = newterm(strTerm.c_str(), pOut, pIn);
  if (!m_pScreen) {
    if (pError) *pError = "the terminal type \"" + strTerm + "\" is not known";
    return false;
  }
  set_term(m_pScreen);
  m_pOut = pOut;
  m_nInFd = fileno(pIn);
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(50);
  curs_set(0);
  mousemask(ALL_MOUSE_EVENTS | REPORT_MOUSE_POSITION, nullptr);
  mouseinterval(0);
  // As xterm and its kin send them: 3 is Alt, 5 Ctrl, 6 Ctrl+Shift; 29~ is the Menu key.
  struct SSequence {
    const char* pszSequence;
    EKey key;
    bool bShift;
    bool bCtrl;
  };
  static constexpr SSequence kSequences[] = {
      {"\033[1;3B", EKey::DropDown, false, false},   {"\033[1;5D", EKey::Left, false, true},
      {"\033[1;5C", EKey::Right, false, true},       {"\033[1;5H", EKey::Home, false, true},
      {"\033[1;5F", EKey::End, false, true},         {"\033[1;6D", EKey::Left, true, true},
      {"\033[1;6C", EKey::Right, true, true},        {"\033[1;6H", EKey::Home, true, true},
      {"\033[1;6F", EKey::End, true, true},          {"\033[2;5~", EKey::Insert, false, true},
      {"\033[29~", EKey::ContextMenu, false, false}, {"\033[200~", EKey::Paste, false, false},
  };
  m_vecSequenceKeys.clear();
  int nNextCode = KEY_MAX + 1;
  for (const SSequence& seq : kSequences) {
    int nCode = key_defined(seq.pszSequence);
    if (nCode <= 0) {
      nCode = nNextCode++;
      define_key(seq.pszSequence, nCode);
    }
    m_vecSequenceKeys.push_back({nCode, seq.key, seq.bShift, seq.bCtrl});
  }
  m_nPasteEnd = key_defined("\033[201~");
  if (m_nPasteEnd <= 0) define_key("\033[201~", m_nPasteEnd = nNextCode++);
  m_pasting.reset();
  // A paste comes bracketed, as text, so none of it acts as a key.
  std::fputs(kPasteOn, pOut);
  std::fflush(pOut);
  if (has_colors()) {
    start_color();
    if (COLORS >= 0x1000000)
      m_depth = EColourDepth::Direct;
    else if (COLORS >= 256)
      m_depth = EColourDepth::Palette256;
  }
  MakePairs();
  return true;
}

void CScreen::Stop() {
  if (!m_pScreen) return;
  set_term(m_pScreen);
  mousemask(0, nullptr);
  std::fputs(kPasteOff, m_pOut);
  curs_set(1);
  endwin();
  delscreen(m_pScreen);
  m_pScreen = nullptr;
  std::fflush(m_pOut);
}

std::string CScreen::LeaveSequence() const {
  // Mouse reporting off in every mode ncurses may have asked for.
  std::string str = "\033[?1006l\033[?1003l\033[?1002l\033[?1000l";
  str += kPasteOff;
  for (const char* pszName : {"sgr0", "cnorm", "rmkx", "rmcup"}) str += Capability(pszName);
  return str;
}

void CScreen::SetDialogColours(COLORREF background, COLORREF text) {
  m_background = background;
  m_text = text;
  MakePairs();
}

void CScreen::MakePairs() {
  if (!m_pScreen || m_depth == EColourDepth::None) return;
  auto colour = [&](COLORREF c) {
    if (m_depth == EColourDepth::Palette256) return NearestPaletteColour(c);
    return static_cast<int>(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
  };
  init_extended_pair(kDialog, colour(m_text), colour(m_background));
  init_extended_pair(kCaption, colour(kWhite), colour(kNavy));
  init_extended_pair(kField, colour(kBlack), colour(kWhite));
  init_extended_pair(kSelected, colour(kWhite), colour(kNavy));
  init_extended_pair(kButton, colour(kBlack), colour(kFace));
  init_extended_pair(kFocused, colour(kWhite), colour(kNavy));
  init_extended_pair(kScrollBar, colour(kBlack), colour(kFace));
  init_extended_pair(kThumb, colour(kBlack), colour(kShadow));
  init_extended_pair(kRequest, colour(kBlack), colour(kWhite));
  init_extended_pair(kMenu, colour(kBlack), colour(kFace));
  init_extended_pair(kGreyed, colour(kShadow), colour(kFace));
}

int CScreen::Attributes(EStyle style) const {
  if (m_depth == EColourDepth::None) {
    // Without colours: fields underlined, the focus and selections reversed.
    switch (style) {
      case EStyle::Dialog:
      case EStyle::Request:
        return A_NORMAL;
      case EStyle::Field:
        return A_UNDERLINE;
      case EStyle::Greyed:
        return A_UNDERLINE | A_DIM;
      case EStyle::Button:
      case EStyle::ScrollBar:
      case EStyle::Menu:
        return A_BOLD;
      case EStyle::GreyedItem:
        return A_DIM;
      case EStyle::Caption:
      case EStyle::Selected:
      case EStyle::Focused:
      case EStyle::Thumb:
        return A_REVERSE;
    }
    return A_NORMAL;
  }
  return 0;
}

void CScreen::Resize() {
  if (!m_pScreen) return;
  winsize ws{};
  if (ioctl(m_nInFd, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) resizeterm(ws.ws_row, ws.ws_col);
  Invalidate();
}

SIZE CScreen::Size() const { return SIZE{COLS, LINES}; }

namespace {

short PairOf(EStyle style) {
  switch (style) {
    case EStyle::Dialog:
      return kDialog;
    case EStyle::Caption:
      return kCaption;
    case EStyle::Field:
      return kField;
    case EStyle::Selected:
      return kSelected;
    case EStyle::Button:
      return kButton;
    case EStyle::Focused:
      return kFocused;
    case EStyle::ScrollBar:
      return kScrollBar;
    case EStyle::Thumb:
      return kThumb;
    case EStyle::Request:
      return kRequest;
    case EStyle::Menu:
      return kMenu;
    case EStyle::Greyed:
    case EStyle::GreyedItem:
      return kGreyed;
  }
  return kDialog;
}

}  // namespace

void CScreen::PutChar(int x, int y, char32_t c, EStyle style, bool bMarked) {
  wchar_t text[2] = {static_cast<wchar_t>(ShownChar(c)), L'\0'};
  cchar_t cell;
  int nPair = m_depth == EColourDepth::None ? 0 : PairOf(style);
  setcchar(&cell, text, static_cast<attr_t>(Attributes(style) | (bMarked ? A_UNDERLINE : 0)), 0, &nPair);
  mvwadd_wch(stdscr, y, x, &cell);
}

void CScreen::Fill(const SCellRect& rect, EStyle style) {
  for (int y = rect.y; y < rect.y + rect.cy; ++y)
    for (int x = rect.x; x < rect.x + rect.cx; ++x) PutChar(x, y, U' ', style);
}

void CScreen::Put(int x, int y, std::u16string_view text, int nCells, EStyle style) {
  int nEnd = x + nCells;
  for (size_t i = 0; i < text.size() && x < nEnd;) {
    char32_t c = ShownChar(NextChar(text, i));
    int nWidth = CellWidth(c);
    if (x + nWidth > nEnd) break;
    PutChar(x, y, c, style);
    x += nWidth;
  }
  for (; x < nEnd; ++x) PutChar(x, y, U' ', style);
}

void CScreen::Frame(const SCellRect& r, EStyle style) {
  if (r.cx < 2 || r.cy < 2) return;
  int nRight = r.x + r.cx - 1, nBottom = r.y + r.cy - 1;
  for (int x = r.x + 1; x < nRight; ++x) {
    PutChar(x, r.y, U'\u2500', style);
    PutChar(x, nBottom, U'\u2500', style);
  }
  for (int y = r.y + 1; y < nBottom; ++y) {
    PutChar(r.x, y, U'\u2502', style);
    PutChar(nRight, y, U'\u2502', style);
  }
  PutChar(r.x, r.y, U'\u250C', style);
  PutChar(nRight, r.y, U'\u2510', style);
  PutChar(r.x, nBottom, U'\u2514', style);
  PutChar(nRight, nBottom, U'\u2518', style);
}

void CScreen::SetCursor(std::optional<std::pair<int, int>> cursor) { m_cursor = cursor; }

void CScreen::Invalidate() {
  if (m_pScreen) clearok(curscr, TRUE);
}

void CScreen::Flush() {
  if (!m_pScreen) return;
  if (m_cursor) wmove(stdscr, m_cursor->second, m_cursor->first);
  curs_set(m_cursor ? 1 : 0);
  wnoutrefresh(stdscr);
  doupdate();
}

std::optional<SInput> CScreen::Read() {
  if (!m_pScreen) return std::nullopt;
  wint_t c = 0;
  if (m_pasting) return ReadPaste();
  int nKind = wget_wch(stdscr, &c);
  if (nKind == ERR) return std::nullopt;
  SInput in;
  if (nKind == OK) {
    switch (c) {
      case L'\t':
        in.key = EKey::Tab;
        break;
      case L'\r':
      case L'\n':
        in.key = EKey::Enter;
        break;
      case 0x1B: {
        // An escape with a key right behind it is that key with Alt.
        wint_t next = 0;
        int nNext = wget_wch(stdscr, &next);
        if (nNext == KEY_CODE_YES && next == KEY_DOWN) {
          in.key = EKey::DropDown;
        } else if (nNext == OK && next >= 0x20 && next != 0x7F) {
          in.key = EKey::Char;
          in.ch = static_cast<char32_t>(next);
          in.bAlt = true;
        } else {
          if (nNext != ERR) unget_wch(static_cast<wchar_t>(next));
          in.key = EKey::Escape;
        }
        break;
      }
      case 0x7F:
      case 0x08:
        in.key = EKey::Backspace;
        break;
      default:
        if (c < 0x20) {
          // Ctrl with a letter.
          if (c == 0) return SInput{};
          in.key = EKey::Char;
          in.ch = U'A' + static_cast<char32_t>(c) - 1;
          in.bCtrl = true;
          break;
        }
        in.key = EKey::Char;
        in.ch = static_cast<char32_t>(c);
    }
    return in;
  }
  switch (static_cast<int>(c)) {
    case KEY_BTAB:
      in.key = EKey::BackTab;
      break;
    case KEY_ENTER:
      in.key = EKey::Enter;
      break;
    case KEY_UP:
    case KEY_SR:
      in.key = EKey::Up;
      in.bShift = c == KEY_SR;
      break;
    case KEY_DOWN:
    case KEY_SF:
      in.key = EKey::Down;
      in.bShift = c == KEY_SF;
      break;
    case KEY_LEFT:
    case KEY_SLEFT:
      in.key = EKey::Left;
      in.bShift = c == KEY_SLEFT;
      break;
    case KEY_RIGHT:
    case KEY_SRIGHT:
      in.key = EKey::Right;
      in.bShift = c == KEY_SRIGHT;
      break;
    case KEY_HOME:
    case KEY_SHOME:
      in.key = EKey::Home;
      in.bShift = c == KEY_SHOME;
      break;
    case KEY_END:
    case KEY_SEND:
      in.key = EKey::End;
      in.bShift = c == KEY_SEND;
      break;
    case KEY_PPAGE:
    case KEY_SPREVIOUS:
      in.key = EKey::PageUp;
      in.bShift = c == KEY_SPREVIOUS;
      break;
    case KEY_NPAGE:
    case KEY_SNEXT:
      in.key = EKey::PageDown;
      in.bShift = c == KEY_SNEXT;
      break;
    case KEY_BACKSPACE:
      in.key = EKey::Backspace;
      break;
    case KEY_DC:
    case KEY_SDC:
      in.key = EKey::Delete;
      in.bShift = c == KEY_SDC;
      break;
    case KEY_IC:
    case KEY_SIC:
      in.key = EKey::Insert;
      in.bShift = c == KEY_SIC;
      break;
    case KEY_F(4):
      in.key = EKey::DropDown;
      break;
    case KEY_F(22):  // Shift+F10
      in.key = EKey::ContextMenu;
      break;
    case KEY_MOUSE: {
      MEVENT event{};
      if (getmouse(&event) != OK) return SInput{};
      in.key = EKey::Mouse;
      in.x = event.x;
      in.y = event.y;
      in.bShift = event.bstate & BUTTON_SHIFT;
      if (event.bstate & BUTTON4_PRESSED)
        in.mouse = EMouse::WheelUp;
      else if (event.bstate & BUTTON5_PRESSED)
        in.mouse = EMouse::WheelDown;
      else if (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED))
        in.mouse = EMouse::Press;
      else if (event.bstate & BUTTON1_RELEASED)
        in.mouse = EMouse::Release;
      else if (event.bstate & (BUTTON3_PRESSED | BUTTON3_CLICKED))
        in.mouse = EMouse::RightPress;
      else if (event.bstate & REPORT_MOUSE_POSITION)
        in.mouse = EMouse::Drag;
      else
        return SInput{};
      break;
    }
    default:
      for (const SSequenceKey& key : m_vecSequenceKeys) {
        if (static_cast<int>(c) != key.nCode) continue;
        in.key = key.key;
        in.bShift = key.bShift;
        in.bCtrl = key.bCtrl;
        if (key.key != EKey::Paste) return in;
        m_pasting.emplace();
        return ReadPaste();
      }
      return SInput{};
  }
  return in;
}

std::optional<SInput> CScreen::ReadPaste() {
  // The rest of the paste may still be on its way: what came waits here.
  for (;;) {
    wint_t c = 0;
    int nKind = wget_wch(stdscr, &c);
    if (nKind == ERR) return std::nullopt;
    if (nKind == KEY_CODE_YES && static_cast<int>(c) == m_nPasteEnd) break;
    if (nKind != OK) continue;
    if (c >= 0x10000) {
      *m_pasting += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      *m_pasting += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      *m_pasting += static_cast<char16_t>(c);
    }
  }
  SInput in;
  in.key = EKey::Paste;
  // A line break, CR LF, CR or LF, is CR LF, as an edit box holds it.
  std::u16string_view text = *m_pasting;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') {
      in.strText += text[i];
      continue;
    }
    in.strText += u"\r\n";
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
  }
  m_pasting.reset();
  return in;
}

void CScreen::Copy(std::u16string_view text) {
  if (!m_pScreen) return;
  std::string strSet = Capability("Ms");
  if (strSet.empty()) return;
  std::string strUtf8;
  for (size_t i = 0; i < text.size();) AppendUtf8(strUtf8, NextChar(text, i));
  std::string strData = Base64(strUtf8);
  const char* pszOut = tiparm(strSet.c_str(), "c", strData.c_str());
  if (!pszOut) return;
  std::fputs(pszOut, m_pOut);
  std::fflush(m_pOut);
}

}  // namespace tui
