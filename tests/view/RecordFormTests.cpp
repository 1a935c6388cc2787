// A record box's forms, as the window system keeps them and a view lends the
// box its rows: hex rows for bytes of every value and for blocks with and
// without pauses, the times against a virtual clock, copy in each form,
// typed text, the switch keeping the view's place, and the side table's size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "Clipboard.h"
#include "EditBoxRows.h"
#include "SharedText.h"
#include "TextMeasure.h"
#include "UserInput.h"
#include "VirtualClock.h"
#include "Window.h"

namespace {

// 2023-11-14 22:13:20.000 UTC.
constexpr int64_t kWall = 1700000000000;

class CRecordFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    win::SetClock(&m_clock);
    m_clock.SetWallMs(kWall);
    win::SetClipboardText(u"");
    m_hParent = CreateWindowFromParams({.cls = WindowClass::Dialog, .style = WS_POPUP | WS_VISIBLE, .text = u"t"});
    m_hEdit = CreateWindowFromParams({.cls = WindowClass::Edit,
                                      .style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL,
                                      .id = 5,
                                      .parent = m_hParent});
    m_pRows = std::make_unique<view::CEditBoxRows>(m_hEdit);
    m_pRows->SetMeasure(&m_columns);
    m_pRows->SetWidth(200);
    m_pRows->SetPageRows(3);
  }
  void TearDown() override {
    m_pRows.reset();
    DestroyWindow(m_hParent);
    win::SetClock(nullptr);
  }
  // The record gains text after nMs, as the receive poll appends it.
  void Append(std::u16string_view text, int64_t nMs = 50) {
    m_clock.Advance(nMs);
    m_text.Append(text);
    SetWindowTextShared(m_hEdit, m_text);
    m_pRows->Update(m_text.Length() - text.size());
  }
  void Show(bool bHex, bool bTimes) {
    win::SetEditForm(m_hEdit, {bHex, bTimes});
    m_pRows->SyncForm();
  }
  std::vector<std::u16string> Rows() const {
    std::vector<std::u16string> rows;
    const win::CTextRange text = m_pRows->Text();
    for (const view::SRow& row : m_pRows->VisibleRows()) {
      std::u16string margin = m_pRows->MarginText(row);
      rows.push_back(margin + (margin.empty() ? u"" : u" ") +
                     (m_pRows->Form().bHex ? win::HexRowText(text, {row.nStart, row.nEnd}, m_pRows->HexRowUnits())
                                           : text.substr(row.nStart, row.nEnd - row.nStart).ToString()));
    }
    return rows;
  }
  std::u16string Copy(size_t nStart, size_t nEnd) {
    SendMessage(m_hEdit, EM_SETSEL, nStart, static_cast<LPARAM>(nEnd));
    SendMessage(m_hEdit, WM_COPY, 0, 0);
    return win::GetClipboardText();
  }
  static constexpr size_t kReplacedText = static_cast<size_t>(-1);

  win::CVirtualClock m_clock;
  win::CSharedText m_text;
  HWND m_hParent = nullptr;
  HWND m_hEdit = nullptr;
  view::CColumnMeasure m_columns;
  std::unique_ptr<view::CEditBoxRows> m_pRows;
};

// A row as HexRowText gives it: digits padded to a full row, a blank, the characters.
std::u16string HexRow(std::u16string_view digits, std::u16string_view chars, size_t nRowUnits = 16) {
  std::u16string row(digits);
  row.resize(win::HexColumnCell(nRowUnits), u' ');
  return row + std::u16string(chars);
}

}  // namespace

TEST_F(CRecordFormTest, HexRowsShowEveryByteValueAndTypedUnits) {
  std::u16string bytes;
  for (char16_t c = 0; c < 256; ++c) bytes += c == 0 ? u'\u2400' : c;
  Append(bytes);
  Show(true, false);
  m_pRows->SetPageRows(16);
  std::vector<std::u16string> rows = Rows();
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0], HexRow(u"00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ",
                            u"\u2400\u2401\u2402\u2403\u2404\u2405\u2406\u2407\u2408\u2409\u240A\u240B\u240C\u240D"
                            u"\u240E\u240F"));
  EXPECT_EQ(rows[2], HexRow(u"20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F ", u" !\"#$%&'()*+,-./"));
  EXPECT_EQ(rows[7], HexRow(u"70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F ", u"pqrstuvwxyz{|}~\u2421"));
  EXPECT_EQ(rows[8], HexRow(u"80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F ", u"................"));
  EXPECT_EQ(rows[10], HexRow(u"A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF ", u".¡¢£¤¥¦§¨©ª«¬.®¯"));
  EXPECT_EQ(rows[15], HexRow(u"F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ", u"ðñòóôõö÷øùúûüýþÿ"));

  // Text a person typed that no byte gives shows as ?? and itself, a pair of surrogates as one character.
  SendMessage(m_hEdit, EM_SETSEL, 0, -1);
  for (char32_t c : std::u32string_view(U"A\u20AC\U0001F600")) win::input::Char(m_hEdit, c);
  m_pRows->Update(kReplacedText);
  EXPECT_EQ(Rows(), std::vector<std::u16string>{HexRow(u"41 ?? ?? ?? ", u"A\u20AC\U0001F600")});
}

TEST_F(CRecordFormTest, ARowEndsAtSixteenUnitsAndWhereABlockBeginsAfterAPause) {
  // Appends a tick apart, and after one empty tick, are one block.
  Append(u"0123456789");
  Append(u"abcdefghij");
  Append(u"ABC", 100);
  // After two empty ticks a reply starts a row of its own.
  Append(u"xyz", 150);
  Append(u"\r\n", 50);
  Show(true, true);
  m_pRows->SetPageRows(5);
  EXPECT_EQ(Rows(),
            (std::vector<std::u16string>{
                u"22:13:20.050 " + HexRow(u"30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 ", u"0123456789abcdef"),
                u"22:13:20.100 " + HexRow(u"67 68 69 6A 41 42 43 ", u"ghijABC"),
                u"22:13:20.350 " + HexRow(u"78 79 7A 0D 0A ", u"xyz\u240D\u240A")}));

  // In text form the margin has the time of each line's first unit.
  Show(false, true);
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"22:13:20.050 0123456789abcdefghijABCxyz", u"22:13:20.400 "}));

  // Text that replaces the record takes the replacement's time.
  m_clock.Advance(1000);
  SetWindowText(m_hEdit, u"new\nline");
  m_pRows->Update(kReplacedText);
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{u"22:13:21.400 new", u"22:13:21.400 line"}));
  EXPECT_EQ(win::GetTextTimes(m_hEdit).Count(), 1u);
}

TEST_F(CRecordFormTest, CopyGivesWhatTheFormShows) {
  Append(u"ab\r\ncd");
  Append(u"\r\nef", 200);
  EXPECT_EQ(Copy(1, 9), u"b\r\ncd\r\ne");
  Show(false, true);
  // Each line led by its time: a line cut at the start has its line's.
  EXPECT_EQ(Copy(1, 9), u"22:13:20.050 b\r\n22:13:20.050 cd\r\n22:13:20.250 e");
  // The rows as shown, of the units selected.
  Show(true, false);
  EXPECT_EQ(Copy(1, 9),
            HexRow(u"62 0D 0A 63 64 ", u"b\u240D\u240Acd") + u"\n" + HexRow(u"0D 0A 65 ", u"\u240D\u240Ae"));
  Show(true, true);
  EXPECT_EQ(Copy(0, 2), u"22:13:20.050 " + HexRow(u"61 62 ", u"ab"));
}

// A box too narrow for rows of 16 has rows of 8, 4, 2 or 1; the margin
// takes its share, and copy gives the rows as shown.
TEST_F(CRecordFormTest, ANarrowBoxHasShorterRows) {
  Append(u"0123456789ABCDEFGHIJ");
  m_pRows->SetWidth(40);
  m_pRows->SetPageRows(1);
  Show(true, false);
  EXPECT_EQ(m_pRows->HexRowUnits(), 8u);
  EXPECT_EQ(Rows().front(), HexRow(u"30 31 32 33 34 35 36 37 ", u"01234567", 8));
  m_pRows->ScrollBy(1);
  Show(true, true);
  EXPECT_EQ(m_pRows->HexRowUnits(), 4u);
  // The first unit in view stays at the top.
  EXPECT_EQ(m_pRows->FirstInView(), 8u);
  EXPECT_EQ(Copy(18, 20), u"22:13:20.050 " + HexRow(u"49 4A ", u"IJ", 4));
  m_pRows->SetWidth(13 + 65);
  EXPECT_EQ(m_pRows->HexRowUnits(), 16u);
  EXPECT_EQ(m_pRows->FirstInView(), 0u);
}

TEST_F(CRecordFormTest, CaretMovesPagesAndClicksGoByTheRowsShown) {
  std::u16string text;
  for (int i = 0; i < 10; ++i) text += u"0123456789ABCDEF";
  Append(text);
  Show(true, true);
  // A click on a row's digits or on its character puts the caret before that unit.
  win::input::Mouse(m_hEdit, WM_LBUTTONDOWN, 13 + 3 * 5 + 1, 1, 0);
  win::input::Mouse(m_hEdit, WM_LBUTTONUP, 13 + 3 * 5 + 1, 1, 0);
  EXPECT_EQ(win::GetEditSelection(m_hEdit).Caret(), 21u);
  win::input::Mouse(m_hEdit, WM_LBUTTONDOWN, 13 + win::HexColumnCell(16) + 9, 2, win::input::kShift);
  EXPECT_EQ(win::GetEditSelection(m_hEdit).Caret(), 41u);
  win::input::Key(m_hEdit, VK_DOWN, 0);
  EXPECT_EQ(win::GetEditSelection(m_hEdit).Caret(), 57u);
  win::input::Key(m_hEdit, VK_END, 0);
  EXPECT_EQ(win::GetEditSelection(m_hEdit).Caret(), 63u);
  // Page Down moves the view and the caret a page.
  win::input::Key(m_hEdit, VK_NEXT, 0);
  EXPECT_EQ(win::GetEditSelection(m_hEdit).Caret(), 111u);
  EXPECT_EQ(m_pRows->FirstInView(), 48u);
  win::input::Key(m_hEdit, VK_END, win::input::kCtrl);
  m_pRows->Reveal(win::GetEditSelection(m_hEdit).Caret());
  EXPECT_EQ(m_pRows->FirstInView(), 112u);
  EXPECT_EQ(m_pRows->ScrollValue(), m_pRows->ScrollMax());
  m_pRows->ScrollToValue(2);
  EXPECT_EQ(m_pRows->FirstInView(), 32u);
}

TEST_F(CRecordFormTest, SwitchingFormKeepsTheFirstUnitInView) {
  std::u16string text;
  for (int i = 0; i < 40; ++i) text += u"line " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\r\n";
  Append(text);
  m_pRows->ScrollBy(10);
  EXPECT_EQ(m_pRows->FirstInView(), 80u);
  Show(true, false);
  EXPECT_EQ(m_pRows->FirstInView(), 80u);
  m_pRows->ScrollBy(1);
  EXPECT_EQ(m_pRows->FirstInView(), 96u);
  // Back in text form the line holding that unit is at the top.
  Show(false, true);
  EXPECT_EQ(m_pRows->FirstInView(), 96u);
  EXPECT_EQ(Rows().front(), u"22:13:20.050 line m");
}

TEST_F(CRecordFormTest, TheTimesTakeAtMostAHundredthOfTheTextAtTheLineRate) {
  // 92,160 bytes a second come as 4,608 units a 50 ms tick, for an hour, with a pause now and then.
  win::CAppendTimes times;
  times.Reset(kWall);
  int64_t nTime = kWall;
  size_t nLength = 4608;
  for (size_t i = 1; i < 72000; ++i, nLength += 4608) {
    nTime += i % 1000 == 999 ? 300 : 50;
    times.Append(nLength, nTime);
  }
  EXPECT_LT(times.MemoryBytes(), nLength * sizeof(char16_t) / 100);
  EXPECT_EQ(times.TimeAt(nLength - 1), nTime);
  EXPECT_EQ(times.TimeAt(4608 * 999 + 7), kWall + 998 * 50 + 300);
  EXPECT_EQ(times.TimeAt(4607), kWall);
  EXPECT_EQ(times.BlockStart(4608 * 1500), 4608 * 999u);
  EXPECT_EQ(times.NextBlockStart(4608 * 1500), 4608 * 1999u);
}
