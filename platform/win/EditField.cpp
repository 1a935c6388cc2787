// The rules of editing, written once for every edit box and a combo box's
// field, in whatever view: the caret and selection, the keys that move and
// extend them, typing, deleting, the clipboard and the mouse. Moves by rows
// ask the rows the view lent the box; the rest needs only the text.
#include <algorithm>

#include "Clipboard.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowObserver.h"
#include "WindowRec.h"

namespace win::detail {

namespace {

// Without a view: each line a row, each caret stop a column, no page.
class CLineRows final : public CEditRows {
 public:
  double CaretX(const CTextRange& text, size_t nPos) const override {
    return static_cast<double>(Column(text, LineStart(text, nPos), nPos));
  }
  size_t MoveCaret(const CTextRange& text, size_t nCaret, ERowMove move, double fGoalX) override {
    size_t nStart = LineStart(text, nCaret);
    switch (move) {
      case ERowMove::RowStart:
        return nStart;
      case ERowMove::RowEnd:
        return LineEnd(text, nCaret);
      case ERowMove::Up:
      case ERowMove::PageUp:
        return nStart == 0 ? AtColumn(text, 0, fGoalX)
                           : AtColumn(text, LineStart(text, PreviousStop(text, nStart)), fGoalX);
      case ERowMove::Down:
      case ERowMove::PageDown: {
        size_t nEnd = LineEnd(text, nCaret);
        return AtColumn(text, nEnd == text.size() ? nStart : NextStop(text, nEnd), fGoalX);
      }
    }
    return nCaret;
  }
  size_t PositionAt(const CTextRange& text, int x, int nRow, bool) const override {
    size_t nStart = 0;
    for (int i = 0; i < nRow && LineEnd(text, nStart) < text.size(); ++i)
      nStart = NextStop(text, LineEnd(text, nStart));
    return AtColumn(text, nStart, x);
  }

 private:
  static bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
  static size_t LineStart(const CTextRange& text, size_t nPos) {
    while (nPos > 0 && !IsBreak(text[nPos - 1])) --nPos;
    return nPos;
  }
  static size_t LineEnd(const CTextRange& text, size_t nPos) {
    while (nPos < text.size() && !IsBreak(text[nPos])) ++nPos;
    return nPos;
  }
  static size_t Column(const CTextRange& text, size_t nFrom, size_t nTo) {
    size_t n = 0;
    for (; nFrom < nTo; nFrom = NextStop(text, nFrom)) ++n;
    return n;
  }
  static size_t AtColumn(const CTextRange& text, size_t nStart, double fColumn) {
    size_t nEnd = LineEnd(text, nStart);
    for (double f = 0; nStart < nEnd && f + 0.5 < fColumn; f += 1) nStart = NextStop(text, nStart);
    return nStart;
  }
};

CEditRows& RowsOf(HWND hWnd) {
  static CLineRows lines;
  return hWnd->pRows ? *hWnd->pRows : lines;
}

CTextRange Text(HWND hWnd) { return hWnd->text.View(); }

bool IsMultiLine(HWND hWnd) { return hWnd->cls == WindowClass::Edit && (hWnd->style & ES_MULTILINE); }

bool IsReadOnly(HWND hWnd) { return hWnd->cls == WindowClass::Edit && (hWnd->style & ES_READONLY); }

void Select(HWND hWnd, size_t nAnchor, size_t nCaret) {
  size_t nLength = Text(hWnd).size();
  CTextSelection sel;
  sel.Select(std::min(nAnchor, nLength), std::min(nCaret, nLength));
  if (sel.Anchor() == hWnd->sel.Anchor() && sel.Caret() == hWnd->sel.Caret()) return;
  hWnd->sel = sel;
  NotifyObservers([&](CWindowObserver& o) { o.OnSelectionChanged(hWnd); });
}

// Moves the caret; up and down keep aiming where the last other move left it.
void MoveCaret(HWND hWnd, size_t nPos, bool bExtend, bool bKeepGoal = false) {
  Select(hWnd, bExtend ? hWnd->sel.Anchor() : nPos, nPos);
  if (!bKeepGoal) hWnd->fGoalX = RowsOf(hWnd).CaretX(Text(hWnd), hWnd->sel.Caret());
}

// Replaces the selection as the person's edit: the class takes the new text
// (a read-only box does not) and tells the parent.
void ReplaceSelection(HWND hWnd, std::u16string_view inserted) {
  const CTextRange& text = Text(hWnd);
  size_t nStart = std::min(hWnd->sel.Start(), text.size()), nEnd = std::min(hWnd->sel.End(), text.size());
  if (nStart == nEnd && inserted.empty()) return;
  // Built on the store's pieces, so editing a large text keeps its bytes narrow.
  CSharedText edited;
  edited.Append(text.substr(0, nStart));
  edited.Append(inserted);
  edited.Append(text.substr(nEnd));
  if (SendMessage(hWnd, WM_INPUTTEXT, 0, reinterpret_cast<LPARAM>(&edited)) != TRUE) return;
  MoveCaret(hWnd, nStart + inserted.size(), false);
}

// Copy gives what the box shows. The text as it is needs no copy of its
// own: the clipboard holds the range.
void Copy(HWND hWnd) {
  if (hWnd->sel.IsEmpty()) return;
  size_t nStart = hWnd->sel.Start();
  if (hWnd->form == SEditForm{}) {
    SetClipboardText(Text(hWnd).substr(nStart, hWnd->sel.End() - nStart));
    return;
  }
  SetClipboardText(
      CTextRange(FormText(Text(hWnd), hWnd->times, hWnd->form, nStart, hWnd->sel.End(), RowsOf(hWnd).HexRowUnits())));
}

void Cut(HWND hWnd) {
  if (IsReadOnly(hWnd)) return;
  Copy(hWnd);
  ReplaceSelection(hWnd, {});
}

// A box of one line takes a pasted text's first line.
void Paste(HWND hWnd, std::u16string_view text) {
  if (IsReadOnly(hWnd)) return;
  if (!IsMultiLine(hWnd)) text = text.substr(0, std::min(text.find_first_of(u"\r\n"), text.size()));
  if (!text.empty()) ReplaceSelection(hWnd, text);
}

void Paste(HWND hWnd) { Paste(hWnd, GetClipboardText()); }

// Backspace and Delete take the selection, or the one step beside the caret.
void Erase(HWND hWnd, bool bForward) {
  if (IsReadOnly(hWnd)) return;
  if (hWnd->sel.IsEmpty()) {
    const CTextRange& text = Text(hWnd);
    size_t nCaret = hWnd->sel.Caret();
    hWnd->sel.Select(nCaret, bForward ? NextStop(text, nCaret) : PreviousStop(text, nCaret));
  }
  ReplaceSelection(hWnd, {});
}

void Key(HWND hWnd, UINT vk) {
  bool bShift = GetKeyState(VK_SHIFT) < 0, bCtrl = GetKeyState(VK_CONTROL) < 0;
  const CTextRange& text = Text(hWnd);
  const CTextSelection& sel = hWnd->sel;
  CEditRows& rows = RowsOf(hWnd);
  auto byRows = [&](ERowMove move, size_t nFrom, bool bKeepGoal) {
    // Dropping the selection, up and down aim from its side.
    if (nFrom != sel.Caret()) hWnd->fGoalX = rows.CaretX(text, nFrom);
    MoveCaret(hWnd, rows.MoveCaret(text, nFrom, move, hWnd->fGoalX), bShift, bKeepGoal);
  };
  // An arrow without Shift drops the selection: Left and Up at its start,
  // Right and Down at its end.
  bool bCollapse = !bShift && !sel.IsEmpty();
  switch (vk) {
    case VK_LEFT:
      if (bCtrl) return MoveCaret(hWnd, PreviousWordStart(text, sel.Caret()), bShift);
      return MoveCaret(hWnd, bCollapse ? sel.Start() : PreviousStop(text, sel.Caret()), bShift);
    case VK_RIGHT:
      if (bCtrl) return MoveCaret(hWnd, NextWordStart(text, sel.Caret()), bShift);
      return MoveCaret(hWnd, bCollapse ? sel.End() : NextStop(text, sel.Caret()), bShift);
    case VK_UP:
      return byRows(ERowMove::Up, bCollapse ? sel.Start() : sel.Caret(), true);
    case VK_DOWN:
      return byRows(ERowMove::Down, bCollapse ? sel.End() : sel.Caret(), true);
    case VK_PRIOR:
      return byRows(ERowMove::PageUp, sel.Caret(), true);
    case VK_NEXT:
      return byRows(ERowMove::PageDown, sel.Caret(), true);
    case VK_HOME:
      // A box of one line is one row, however long.
      if (bCtrl || !IsMultiLine(hWnd)) return MoveCaret(hWnd, 0, bShift);
      return byRows(ERowMove::RowStart, sel.Caret(), false);
    case VK_END:
      if (bCtrl || !IsMultiLine(hWnd)) return MoveCaret(hWnd, text.size(), bShift);
      return byRows(ERowMove::RowEnd, sel.Caret(), false);
    case VK_BACK:
      return Erase(hWnd, false);
    case VK_DELETE:
      if (bShift) return Cut(hWnd);
      return Erase(hWnd, true);
    case VK_INSERT:
      if (bShift) return Paste(hWnd);
      if (bCtrl) return Copy(hWnd);
      return;
    case 'A':
      if (bCtrl) return Select(hWnd, 0, text.size());
      return;
    case 'C':
      if (bCtrl) return Copy(hWnd);
      return;
    case 'V':
      if (bCtrl) return Paste(hWnd);
      return;
    case 'X':
      if (bCtrl) return Cut(hWnd);
      return;
  }
}

void Type(HWND hWnd, char32_t c) {
  if (IsReadOnly(hWnd) || c < 0x20 || c == 0x7F || c > 0x10FFFF) return;
  std::u16string typed;
  if (c >= 0x10000) {
    typed += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    typed += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    typed += static_cast<char16_t>(c);
  }
  ReplaceSelection(hWnd, typed);
}

size_t PointOf(HWND hWnd, LPARAM lParam, bool bCharUnder) {
  return RowsOf(hWnd).PositionAt(Text(hWnd), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), bCharUnder);
}

}  // namespace

bool EditFieldProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  *pResult = 0;
  switch (message) {
    case EM_GETSEL:
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(hWnd->sel.Start());
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(hWnd->sel.End());
      *pResult = static_cast<LRESULT>(MAKELPARAM(static_cast<WORD>(std::min<size_t>(hWnd->sel.Start(), 0xFFFF)),
                                                 static_cast<WORD>(std::min<size_t>(hWnd->sel.End(), 0xFFFF))));
      return true;
    case EM_SETSEL: {
      // (0, -1) selects all; a start of -1 drops the selection.
      auto nStart = static_cast<intptr_t>(wParam);
      size_t nLength = Text(hWnd).size();
      if (nStart < 0) {
        Select(hWnd, hWnd->sel.Caret(), hWnd->sel.Caret());
      } else {
        size_t nEnd = lParam < 0 ? nLength : static_cast<size_t>(lParam);
        Select(hWnd, static_cast<size_t>(nStart), nEnd);
      }
      hWnd->fGoalX = RowsOf(hWnd).CaretX(Text(hWnd), hWnd->sel.Caret());
      return true;
    }
    case EM_REPLACESEL:
      ReplaceSelection(hWnd, lParam ? std::u16string_view(reinterpret_cast<const char16_t*>(lParam)) : u"");
      return true;
    case WM_CUT:
      Cut(hWnd);
      return true;
    case WM_COPY:
      Copy(hWnd);
      return true;
    case WM_PASTE:
      Paste(hWnd);
      return true;
    case WM_INPUTPASTE:
      Paste(hWnd, std::u16string_view(reinterpret_cast<const char16_t*>(lParam), wParam));
      *pResult = TRUE;
      return true;
    case WM_CLEAR:
      if (!IsReadOnly(hWnd)) ReplaceSelection(hWnd, {});
      return true;
    case WM_KEYDOWN:
      Key(hWnd, static_cast<UINT>(wParam));
      return true;
    case WM_CHAR:
      Type(hWnd, static_cast<char32_t>(wParam));
      return true;
    case WM_LBUTTONDOWN:
      hWnd->bMouseDown = true;
      MoveCaret(hWnd, PointOf(hWnd, lParam, false), wParam & MK_SHIFT);
      return true;
    case WM_MOUSEMOVE:
      if (hWnd->bMouseDown) MoveCaret(hWnd, PointOf(hWnd, lParam, false), true);
      return true;
    case WM_LBUTTONUP:
      hWnd->bMouseDown = false;
      return true;
    case WM_LBUTTONDBLCLK: {
      hWnd->bMouseDown = false;
      auto [nFirst, nLast] = WordAround(Text(hWnd), PointOf(hWnd, lParam, true));
      Select(hWnd, nFirst, nLast);
      hWnd->fGoalX = RowsOf(hWnd).CaretX(Text(hWnd), hWnd->sel.Caret());
      return true;
    }
  }
  return false;
}

}  // namespace win::detail

namespace win {

CTextSelection GetEditSelection(HWND hEdit) { return IsWindow(hEdit) ? hEdit->sel : CTextSelection{}; }

void SetEditRows(HWND hEdit, CEditRows* pRows) {
  if (IsWindow(hEdit)) hEdit->pRows = pRows;
}

SEditForm GetEditForm(HWND hEdit) { return IsWindow(hEdit) ? hEdit->form : SEditForm{}; }

void SetEditForm(HWND hEdit, SEditForm form) {
  if (!IsWindow(hEdit) || hEdit->form == form) return;
  hEdit->form = form;
  NotifyObservers([&](CWindowObserver& o) { o.OnFormChanged(hEdit); });
}

}  // namespace win
