#include "DialogLayout.h"

#include <algorithm>
#include <string>

#include "CellText.h"
#include "Mnemonic.h"
#include "Window.h"

namespace tui {

namespace {

// Dialog units a one-line control takes, whatever its template height: a
// list's dropped-down part is drawn over the others.
constexpr long kLineDlu = 12;
constexpr int kMinRecordCx = 8, kMinRecordCy = 3;

bool IsGroupBox(HWND h) {
  return GetWindowClass(h) == WindowClass::Button && (GetWindowStyle(h) & BS_TYPEMASK) == BS_GROUPBOX;
}
bool IsRecord(HWND h) { return GetWindowClass(h) == WindowClass::Edit && (GetWindowStyle(h) & ES_MULTILINE); }

// The rows of a label as tall as two lines of text or more: its text wraps
// over them (a message box's text).
int LabelRows(HWND h) {
  if (GetWindowClass(h) != WindowClass::Static) return 1;
  RECT r = GetDialogUnitRect(h);
  return static_cast<int>(std::max<long>(1, (r.bottom - r.top) / 8));
}
bool KeepsHeight(HWND h) { return IsRecord(h) || IsGroupBox(h) || LabelRows(h) > 1; }

// A one-line edit box that spans the record boxes across.
bool SpansRecords(HWND h, const std::vector<HWND>& records) {
  if (GetWindowClass(h) != WindowClass::Edit || IsRecord(h) || records.empty()) return false;
  RECT r = GetDialogUnitRect(h);
  return std::all_of(records.begin(), records.end(), [&](HWND hRecord) {
    RECT record = GetDialogUnitRect(hRecord);
    return r.left <= record.left && r.right >= record.right;
  });
}

int LongestItem(HWND h) {
  int nCount = static_cast<int>(SendMessage(h, CB_GETCOUNT, 0, 0)), nLongest = 0;
  for (int i = 0; i < nCount; ++i) {
    nLongest = std::max(nLongest, TextCells(GetComboItemText(h, i)));
  }
  return nLongest;
}

}  // namespace

SIZE ContentCells(HWND h) {
  int nText = TextCells(GetWindowText(h));
  switch (GetWindowClass(h)) {
    case WindowClass::Static: {
      // A blank after the caption keeps it clear of the control beside it.
      const int nRows = LabelRows(h);
      if (nRows == 1) return SIZE{nText + 1, 1};
      const int nCx = WrapCells(GetWindowText(h), nRows);
      return SIZE{nCx + 1, static_cast<int>(WrapWords(GetWindowText(h), nCx).size())};
    }
    case WindowClass::Button:
      // A group box's caption between two blanks on its top line.
      // A push button's without the mark of its mnemonic.
      return IsGroupBox(h) ? SIZE{nText + 4, 2} : SIZE{TextCells(win::ShownCaption(GetWindowText(h)).strText) + 2, 1};
    case WindowClass::Edit:
      return IsRecord(h) ? SIZE{kMinRecordCx, kMinRecordCy} : SIZE{3, 1};
    case WindowClass::ComboBox:
      // The longest item and the drop-down arrow.
      return SIZE{std::max(3, LongestItem(h)) + 1, 1};
    case WindowClass::Dialog:
    case WindowClass::None:
      break;
  }
  return SIZE{1, 1};
}

int TextRows(HWND h, int nCx) { return std::max(1, static_cast<int>(WrapWords(GetWindowText(h), nCx).size())); }

std::optional<SDialogCells> LayoutDialog(HWND hDlg, SIZE screen) {
  RECT dlg = GetDialogUnitRect(hDlg);
  SIZE frameDlu{dlg.right - dlg.left, dlg.bottom - dlg.top};
  std::vector<SLayoutBox> boxes;
  std::vector<HWND> owners, records;
  for (HWND h : GetChildren(hDlg))
    if (IsWindowVisible(h) && IsRecord(h)) records.push_back(h);
  int nGroup = 0;
  for (HWND h : GetChildren(hDlg)) {
    if (!IsWindowVisible(h)) continue;
    RECT r = GetDialogUnitRect(h);
    SIZE need = ContentCells(h);
    if (IsGroupBox(h)) {
      // Its four edges, so that the controls inside keep clear of them.
      ++nGroup;
      boxes.push_back({{r.left, r.top, r.right, r.top + 1}, static_cast<int>(need.cx), 1, false, nGroup});
      boxes.push_back({{r.left, r.bottom - 1, r.right, r.bottom}, 2, 1, false, nGroup});
      boxes.push_back({{r.left, r.top, r.left + 1, r.bottom}, 1, 2, false, nGroup});
      boxes.push_back({{r.right - 1, r.top, r.right, r.bottom}, 1, 2, false, nGroup});
      owners.insert(owners.end(), 4, h);
      continue;
    }
    if (!KeepsHeight(h)) r.bottom = std::min(r.bottom, r.top + kLineDlu);
    boxes.push_back({r, static_cast<int>(need.cx), static_cast<int>(need.cy), IsRecord(h), 0});
    owners.push_back(h);
  }

  bool bOwned = GetParent(hDlg) != nullptr;
  // The caption line above, and for a dialog over another its frame.
  SIZE cells = bOwned ? SIZE{screen.cx - 2, screen.cy - 2} : SIZE{screen.cx, screen.cy - 1};
  // The dialog of its own is scaled for the smallest screen and fills this one.
  SIZE scaled = bOwned ? cells : SIZE{kSmallestScreen.cx, kSmallestScreen.cy - 1};
  SIZE used;
  auto rects = LayoutBoxes(boxes, frameDlu, scaled, bOwned ? nullptr : &cells, &used);
  if (!rects) return std::nullopt;
  SDialogCells out;
  // A status line's width does not depend on its rows: laid out once, it
  // wraps its text at that width into the rows it then asks for.
  bool bWants = false;
  for (size_t i = 0; i < owners.size(); ++i) {
    if (!SpansRecords(owners[i], records)) continue;
    boxes[i].nWantCy = TextRows(owners[i], (*rects)[i].cx);
    out.textRows.emplace_back(owners[i], boxes[i].nWantCy);
    bWants = bWants || boxes[i].nWantCy > 1;
  }
  if (bWants) rects = LayoutBoxes(boxes, frameDlu, scaled, bOwned ? nullptr : &cells, &used);
  if (!rects) return std::nullopt;

  SCellRect client;
  if (bOwned) {
    out.frame = {static_cast<int>((screen.cx - used.cx - 2) / 2), static_cast<int>((screen.cy - used.cy - 2) / 2),
                 static_cast<int>(used.cx + 2), static_cast<int>(used.cy + 2)};
    client = {out.frame.x + 1, out.frame.y + 1, static_cast<int>(used.cx), static_cast<int>(used.cy)};
  } else {
    out.frame = {0, 0, static_cast<int>(screen.cx), static_cast<int>(screen.cy)};
    client = {0, 1, static_cast<int>(used.cx), static_cast<int>(used.cy)};
  }
  for (size_t i = 0; i < owners.size(); ++i) {
    SCellRect r = (*rects)[i];
    r.x += client.x;
    r.y += client.y;
    HWND h = owners[i];
    if (!KeepsHeight(h)) r.cy = std::min(r.cy, std::max(1, boxes[i].nWantCy));
    auto it = std::find_if(out.controls.begin(), out.controls.end(), [&](const auto& p) { return p.first == h; });
    if (it == out.controls.end()) {
      out.controls.emplace_back(h, r);
      continue;
    }
    // A group box is the union of its edges.
    SCellRect& u = it->second;
    int nRight = std::max(u.x + u.cx, r.x + r.cx), nBottom = std::max(u.y + u.cy, r.y + r.cy);
    u.x = std::min(u.x, r.x);
    u.y = std::min(u.y, r.y);
    u.cx = nRight - u.x;
    u.cy = nBottom - u.y;
  }
  return out;
}

}  // namespace tui
