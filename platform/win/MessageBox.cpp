#include "MessageBox.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Dialog.h"
#include "Resource.h"
#include "Window.h"

namespace {

struct CButtonSpec {
  int id;
  const char16_t* caption;
};

// Layout in dialog units. The text's width is estimated at 5 units a
// character (the font's average is 4), so a proportional text fits.
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50;
constexpr short kButtonHeight = 14;
constexpr short kButtonGap = 6;
constexpr short kLineHeight = 8;
constexpr short kCharWidth = 5;
constexpr short kMaxTextWidth = 190;

// What the box answers for a key or a close, and where its focus starts.
struct CBoxAnswers {
  int nEscape;
  int nDefault;
};

std::vector<CButtonSpec> Buttons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO:
      return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    default:
      return {{IDOK, u"OK"}};
  }
}

void CenterOnOwner(HWND hBox) {
  RECT box = GetWindowRect(hBox);
  SIZE desk = GetDesktopSize();
  RECT area{0, 0, desk.cx, desk.cy};
  if (HWND hOwner = GetParent(hBox)) area = GetWindowRect(hOwner);
  long cx = box.right - box.left, cy = box.bottom - box.top;
  long x = std::clamp((area.left + area.right - cx) / 2, 0L, std::max(0L, desk.cx - cx));
  long y = std::clamp((area.top + area.bottom - cy) / 2, 0L, std::max(0L, desk.cy - cy));
  MoveWindow(hBox, RECT{x, y, x + cx, y + cy});
}

LRESULT MessageBoxProc(HWND hBox, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* pAnswers = static_cast<const CBoxAnswers*>(GetWindowUserData(hBox));
  switch (message) {
    case WM_INITDIALOG:
      CenterOnOwner(hBox);
      SetFocus(GetDlgItem(hBox, pAnswers->nDefault));
      return FALSE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      // Escape and closing are the Cancel command; a box without Cancel
      // gives its escape answer for it.
      if (id == IDCANCEL && !GetDlgItem(hBox, IDCANCEL)) id = pAnswers->nEscape;
      if (GetDlgItem(hBox, id)) EndDialog(hBox, id);
      return 0;
    }
  }
  return DefWindowProc(hBox, message, wParam, lParam);
}

}  // namespace

int MessageBox(HWND hOwner, std::u16string_view text, std::u16string_view caption, UINT type) {
  const std::u16string strText(text), strCaption(caption);
  const std::vector<CButtonSpec> buttons = Buttons(type);
  const auto nButtons = static_cast<short>(buttons.size());
  const size_t nDefault = (type & MB_DEFMASK) == MB_DEFBUTTON2 && nButtons > 1 ? 1 : 0;

  const long nTextUnits = std::max<long>(1, static_cast<long>(strText.size()) * kCharWidth);
  const auto nTextWidth = static_cast<short>(std::min<long>(nTextUnits, kMaxTextWidth));
  const long nLines = (nTextUnits + nTextWidth - 1) / nTextWidth + std::ranges::count(strText, u'\n');
  const auto nTextHeight = static_cast<short>(std::min<long>(nLines * kLineHeight, 400));
  const auto nButtonsWidth = static_cast<short>(nButtons * kButtonWidth + (nButtons - 1) * kButtonGap);
  const auto cx = static_cast<short>(std::max(nTextWidth, nButtonsWidth) + 2 * kMargin);
  const auto cy = static_cast<short>(3 * kMargin + nTextHeight + kButtonHeight);

  win::DialogTemplate tmpl{WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                           0,
                           0,
                           0,
                           cx,
                           cy,
                           strCaption.c_str(),
                           u"System",
                           8,
                           {{WindowClass::Static, WS_VISIBLE | WS_GROUP | SS_LEFT, -1, strText.c_str(), kMargin,
                             kMargin, nTextWidth, nTextHeight}}};
  auto x = static_cast<short>((cx - nButtonsWidth) / 2);
  const auto y = static_cast<short>(2 * kMargin + nTextHeight);
  for (size_t i = 0; i < buttons.size(); ++i) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | (i == nDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (i == 0) style |= WS_GROUP;
    tmpl.items.push_back(
        {WindowClass::Button, style, buttons[i].id, buttons[i].caption, x, y, kButtonWidth, kButtonHeight});
    x = static_cast<short>(x + kButtonWidth + kButtonGap);
  }

  int nEscape = IDOK;
  if ((type & MB_TYPEMASK) == MB_YESNO) nEscape = IDNO;
  CBoxAnswers answers{nEscape, buttons[nDefault].id};
  return DialogBoxIndirect(tmpl, hOwner, MessageBoxProc, &answers);
}
