// The terminal dialog's controls on character cells: everything fits
// 80 x 24, no two controls share a cell, every caption and list item is
// whole, controls keep their order, and a larger terminal's extra rows and
// columns go to the two record boxes.
#include <gtest/gtest.h>

#include <map>

#include "CellText.h"
#include "DialogLayout.h"
#include "TerminalHarness.h"
#include "Window.h"
#include "resource.h"

namespace {

using tui::SCellRect;

bool IsGroupBox(HWND h) {
  return GetWindowClass(h) == WindowClass::Button && (GetWindowStyle(h) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The cells a control paints: a group box only its frame.
bool Paints(HWND h, const SCellRect& r, int x, int y) {
  if (!r.Contains(x, y)) return false;
  if (!IsGroupBox(h)) return true;
  return x == r.x || y == r.y || x == r.x + r.cx - 1 || y == r.y + r.cy - 1;
}

class CLayoutTest : public CTerminalHarness {
 protected:
  std::map<int, SCellRect> Check(SIZE screen) {
    SCOPED_TRACE(std::to_string(screen.cx) + " x " + std::to_string(screen.cy));
    std::map<int, SCellRect> byId;
    auto cells = tui::LayoutDialog(m_hDlg, screen);
    EXPECT_TRUE(cells);
    if (!cells) return byId;
    EXPECT_EQ(cells->frame, (SCellRect{0, 0, static_cast<int>(screen.cx), static_cast<int>(screen.cy)}));
    std::vector<std::vector<HWND>> owner(screen.cy, std::vector<HWND>(screen.cx, nullptr));
    for (const auto& [h, r] : cells->controls) {
      EXPECT_TRUE(IsWindowVisible(h));
      SCOPED_TRACE("control " + std::to_string(GetDlgCtrlID(h)));
      // Below the caption line and on the screen.
      EXPECT_GE(r.y, 1);
      EXPECT_GE(r.x, 0);
      EXPECT_LE(r.x + r.cx, screen.cx);
      EXPECT_LE(r.y + r.cy, screen.cy);
      SIZE need = tui::ContentCells(h);
      EXPECT_GE(r.cx, need.cx);
      EXPECT_GE(r.cy, need.cy);
      for (int y = r.y; y < r.y + r.cy && y < screen.cy; ++y)
        for (int x = r.x; x < r.x + r.cx && x < screen.cx; ++x) {
          if (!Paints(h, r, x, y)) continue;
          EXPECT_EQ(owner[y][x], nullptr)
              << "cell " << x << "," << y << " also belongs to control " << GetDlgCtrlID(owner[y][x]);
          owner[y][x] = h;
        }
      if (GetDlgCtrlID(h) > 0) byId[GetDlgCtrlID(h)] = r;
    }
    // The hidden buttons take no cells; every other control has its place.
    EXPECT_EQ(cells->controls.size(), GetChildren(m_hDlg).size() - 2);
    EXPECT_FALSE(byId.count(IDC_BUTTON_SCAN));
    // Order and relative places: a control wholly left of (above) another
    // in dialog units starts left of (above) it in cells.
    for (const auto& [h1, r1] : cells->controls)
      for (const auto& [h2, r2] : cells->controls) {
        RECT d1 = GetDialogUnitRect(h1), d2 = GetDialogUnitRect(h2);
        if (d1.right <= d2.left) {
          EXPECT_LT(r1.x, r2.x);
        }
        if (d1.bottom <= d2.top) {
          EXPECT_LT(r1.y, r2.y);
        }
      }
    return byId;
  }
};

TEST_F(CLayoutTest, TheDialogFits80x24AndLargerTerminalsGrowTheRecordBoxes) {
  RunApp([&] {
    auto small = Check({80, 24});
    ASSERT_TRUE(small.count(IDC_EDIT_STATUS));
    // The status line is the last row, the record boxes side by side.
    EXPECT_EQ(small[IDC_EDIT_STATUS].y, 23);
    EXPECT_EQ(small[IDC_EDIT_SEND_RECORD].y, small[IDC_EDIT_RECEIVE_RECORD].y);
    EXPECT_GE(small[IDC_EDIT_RECEIVE_RECORD].cy, 5);

    auto large = Check({100, 40});
    for (int id : {IDC_EDIT_SEND_RECORD, IDC_EDIT_RECEIVE_RECORD}) EXPECT_EQ(large[id].cy, small[id].cy + 16) << id;
    EXPECT_EQ(large[IDC_EDIT_SEND_RECORD].cx + large[IDC_EDIT_RECEIVE_RECORD].cx,
              small[IDC_EDIT_SEND_RECORD].cx + small[IDC_EDIT_RECEIVE_RECORD].cx + 20);
    // The controls above the records keep their rows and sizes.
    for (int id : {IDC_COMBO_PORT, IDC_COMBO_BAUD, IDC_BUTTON_OPEN, IDC_EDIT_INTERVAL}) {
      EXPECT_EQ(large[id].y, small[id].y) << id;
      EXPECT_EQ(large[id].cx, small[id].cx) << id;
    }
    Check({132, 50});
    Check({200, 24});
    Check({80, 60});
  });
}

// Wider and taller terminals move the controls beside the records but
// stretch none of them: every button, list, label and group box keeps the
// size it has at 80 x 24, the status line alone spanning the records widens.
TEST_F(CLayoutTest, WiderTerminalsKeepEveryControlsSize) {
  RunApp([&] {
    auto cells = tui::LayoutDialog(m_hDlg, {80, 24});
    ASSERT_TRUE(cells);
    for (SIZE screen : {SIZE{100, 40}, SIZE{120, 30}, SIZE{200, 50}}) {
      SCOPED_TRACE(std::to_string(screen.cx) + " x " + std::to_string(screen.cy));
      Check(screen);
      auto wide = tui::LayoutDialog(m_hDlg, screen);
      ASSERT_TRUE(wide);
      ASSERT_EQ(wide->controls.size(), cells->controls.size());
      for (size_t i = 0; i < cells->controls.size(); ++i) {
        auto [h, small] = cells->controls[i];
        int nId = GetDlgCtrlID(h);
        if (nId == IDC_EDIT_SEND_RECORD || nId == IDC_EDIT_RECEIVE_RECORD) continue;
        SCOPED_TRACE("control " + std::to_string(nId) + ", child " + std::to_string(i));
        const SCellRect& r = wide->controls[i].second;
        EXPECT_EQ(r.cy, small.cy);
        if (nId == IDC_EDIT_STATUS)
          EXPECT_EQ(r.cx, small.cx + screen.cx - 80);
        else
          EXPECT_EQ(r.cx, small.cx);
      }
    }
  });
}

// A status line longer than a row wraps: it takes the rows its text needs
// from the records, which keep three rows at least, and gives them back
// when a short text follows.
TEST_F(CLayoutTest, ALongStatusLineTakesTheRowsItWrapsIntoFromTheRecords) {
  RunApp([&] {
    auto start = Check({80, 24});
    std::u16string text;
    while (text.size() < 200) text += u"permission denied ";
    ASSERT_TRUE(Type(IDC_EDIT_STATUS, text));
    auto wrapped = Check({80, 24});
    const int nRows = static_cast<int>(tui::WrapWords(text, wrapped[IDC_EDIT_STATUS].cx).size());
    EXPECT_EQ(nRows, 3);
    EXPECT_EQ(wrapped[IDC_EDIT_STATUS].cy, nRows);
    EXPECT_EQ(wrapped[IDC_EDIT_STATUS].y + nRows, 24);
    for (int id : {IDC_EDIT_SEND_RECORD, IDC_EDIT_RECEIVE_RECORD})
      EXPECT_EQ(wrapped[id].cy, start[id].cy - (nRows - 1)) << id;

    // A larger terminal gives it the rows from those it adds.
    auto large = Check({120, 40});
    const int nLargeRows = static_cast<int>(tui::WrapWords(text, large[IDC_EDIT_STATUS].cx).size());
    EXPECT_EQ(nLargeRows, 2);
    EXPECT_EQ(large[IDC_EDIT_STATUS].cy, nLargeRows);
    EXPECT_EQ(large[IDC_EDIT_RECEIVE_RECORD].cy, start[IDC_EDIT_RECEIVE_RECORD].cy + 16 - (nLargeRows - 1));

    // More than the records can give: they keep three rows.
    while (text.size() < 2000) text += u"permission denied ";
    ASSERT_TRUE(Type(IDC_EDIT_STATUS, text));
    auto full = Check({80, 24});
    for (int id : {IDC_EDIT_SEND_RECORD, IDC_EDIT_RECEIVE_RECORD}) EXPECT_EQ(full[id].cy, 3) << id;
    EXPECT_EQ(full[IDC_EDIT_STATUS].cy, 1 + start[IDC_EDIT_RECEIVE_RECORD].cy - 3);
    EXPECT_EQ(full[IDC_EDIT_STATUS].y + full[IDC_EDIT_STATUS].cy, 24);
    Check({200, 24});
    Check({132, 50});

    ASSERT_TRUE(Type(IDC_EDIT_STATUS, u"OK"));
    EXPECT_EQ(Check({80, 24}), start);
  });
}

// A label taller than a line (a message box's text) wraps after blanks.
TEST(CWrapTest, TextWrapsAtBlanksAndLineBreaksAndCutsOnlyLongWords) {
  const std::u16string_view text = u"End the terminal? The send and receive records will be lost.";
  auto lines = tui::WrapWords(text, 47);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], u"End the terminal? The send and receive records");
  EXPECT_EQ(lines[1], u"will be lost.");
  const int nCx = tui::WrapCells(text, 2);
  EXPECT_EQ(tui::WrapWords(text, nCx).size(), 2u);
  EXPECT_EQ(tui::WrapWords(text, nCx - 1).size(), 3u);
  EXPECT_EQ(tui::WrapWords(u"one\ntwo three", 20), (std::vector<std::u16string_view>{u"one", u"two three"}));
  EXPECT_EQ(tui::WrapWords(u"abcdefgh ij", 3), (std::vector<std::u16string_view>{u"abc", u"def", u"gh", u"ij"}));
  // A path longer than a line begins right after the word before it.
  EXPECT_EQ(tui::WrapWords(u"COM9: /dev/serial/by-id/usb does not", 12),
            (std::vector<std::u16string_view>{u"COM9: /dev/s", u"erial/by-id/", u"usb does not"}));
  EXPECT_EQ(tui::WrapCells(u"short", 3), 5);
}

}  // namespace
