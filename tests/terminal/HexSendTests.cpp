// Sending bytes by their hex values: the reading of the text, Send String's
// menu entry and tag, and what a send with it puts on the line.
#include <algorithm>

#include "Clipboard.h"
#include "EditBox.h"
#include "HexText.h"
#include "Menu.h"
#include "TerminalHarness.h"
#include "UserInput.h"
#include "resource.h"

namespace {

using ByteList = std::vector<uint8_t>;

// The bytes of a hex text, read in pieces of nPiece; none when it has an error.
std::optional<ByteList> HexBytes(std::u16string_view text, size_t nPiece = 1024) {
  CHexReading reading = CheckHexText(text);
  if (reading.error) return std::nullopt;
  ByteList bytes(reading.nBytes);
  size_t nPos = 0, nRead = 0;
  // Once at least: the separators after the last byte are read too.
  do {
    nRead += ReadHexBytes(text, &nPos, bytes.data() + nRead, nPiece);
  } while (nRead < bytes.size());
  EXPECT_EQ(nPos, text.size());
  return bytes;
}

TEST(HexText, PairsInEitherCaseWithBlanksCommasAndPrefixesGiveTheirBytes) {
  const std::pair<std::u16string, ByteList> good[] = {
      {u"01 03 00 00 00 0A C5 CD", {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}},
      {u"01030000000Ac5cd", {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}},
      {u"0x1F,0XfF, 0x00", {0x1F, 0xFF, 0x00}},
      {u"0x010x02", {0x01, 0x02}},
      {u" \t,7e ,, 80\t", {0x7E, 0x80}},
      {u"", {}},
      {u" , ", {}},
  };
  for (const auto& [text, bytes] : good) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    EXPECT_EQ(HexBytes(text), bytes);
    // Read a byte at a time, the same bytes, and the end reached.
    EXPECT_EQ(HexBytes(text, 1), bytes);
  }
}

TEST(HexText, TheFirstBadCharacterIsNamedWithItsPositionAsAPersonCounts) {
  struct SBad {
    std::u16string text;
    std::u16string units;
    size_t nPosition;
    CHexError::EKind kind;
  };
  const SBad bad[] = {
      {u"01 0G", u"G", 5, CHexError::NotHexDigit},
      {u"G1", u"G", 1, CHexError::NotHexDigit},
      {u"01 2 03", u"2", 4, CHexError::LoneDigit},
      {u"01 0", u"0", 4, CHexError::LoneDigit},
      {u"0x1", u"1", 3, CHexError::LoneDigit},
      // 0x leads a pair only right before it.
      {u"0x", u"x", 2, CHexError::NotHexDigit},
      {u"0x 01", u"x", 2, CHexError::NotHexDigit},
      {u"00x1", u"x", 3, CHexError::NotHexDigit},
      {u"01;02", u";", 3, CHexError::NotHexDigit},
      {u"01\r\n", u"\r", 3, CHexError::NotHexDigit},
      // A character beyond the BMP counts once, and is named whole.
      {u"\U0001F600\U0001F600", u"\U0001F600", 1, CHexError::NotHexDigit},
      {u"0\U0001F600", u"\U0001F600", 2, CHexError::NotHexDigit},
      {u"\u00E9\u00E9", u"\u00E9", 1, CHexError::NotHexDigit},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(std::string(b.text.begin(), b.text.end()));
    CHexReading reading = CheckHexText(b.text);
    ASSERT_TRUE(reading.error);
    EXPECT_EQ(reading.error->units, b.units);
    EXPECT_EQ(reading.error->nPosition, b.nPosition);
    EXPECT_EQ(reading.error->kind, b.kind);
  }
}

class CHexSendTest : public CTerminalHarness {
 protected:
  // Send String's menu as it opens, then the pick of its Send as Hex entry.
  std::vector<std::u16string> ToggleHex(bool bByMnemonic) {
    std::vector<std::u16string> items;
    EXPECT_TRUE(WorkMenu(IDC_EDIT_SEND, [&](HMENU hMenu) {
      items = MenuItems(hMenu);
      if (bByMnemonic)
        win::input::MenuChar(U'H');
      else
        win::input::MenuClick(GetMenuItemCount(hMenu) - 1);
    }));
    return items;
  }
  std::u16string Tag() const { return win::GetEditTag(Item(IDC_EDIT_SEND)); }
};

TEST_F(CHexSendTest, SendStringsMenuHasACheckThatShowsTheTagAndOnlyItsMenuHasIt) {
  RunApp([&] {
    const std::vector<std::u16string> edit{u"Cu&t", u"&Copy", u"&Paste-", u"&Delete", u"|", u"Select &All", u"|"};
    std::vector<std::u16string> off = edit, on = edit;
    off.push_back(u"Send as &Hex");
    on.push_back(u"Send as &Hex+");
    win::SetClipboardText(u"");
    SendMessage(Item(IDC_EDIT_SEND), EM_SETSEL, 0, -1);
    EXPECT_EQ(Tag(), u"");
    EXPECT_EQ(ToggleHex(true), off);
    EXPECT_EQ(Tag(), u"HEX");
    EXPECT_EQ(ToggleHex(false), on);
    EXPECT_EQ(Tag(), u"");
    EXPECT_EQ(ToggleHex(false), off);
    EXPECT_EQ(Tag(), u"HEX");
    // The box's own commands still edit it.
    EXPECT_TRUE(WorkMenu(IDC_EDIT_SEND, [](HMENU) { win::input::MenuChar(U'D'); }));
    EXPECT_EQ(Text(IDC_EDIT_SEND), u"");

    // The records' menus are their own.
    std::vector<std::u16string> record;
    EXPECT_TRUE(WorkMenu(IDC_EDIT_SEND_RECORD, [&](HMENU hMenu) { record = MenuItems(hMenu); }));
    EXPECT_EQ(std::count(record.begin(), record.end(), u"Send as &Hex"), 0);
    EXPECT_EQ(win::GetEditTag(Item(IDC_EDIT_SEND_RECORD)), u"");
  });
}

TEST_F(CHexSendTest, TheBytesGoOutWithTheTerminatorAndTheRecordGainsTheTextAsTyped) {
  RunApp([&] {
    OpenPort();
    ToggleHex(true);
    Type(IDC_EDIT_SEND, u"01 03 00 00 00 0A C5 CD");
    Click(IDC_BUTTON_SEND);
    ASSERT_EQ(serial.Count("Send_Binary"), 1u);
    EXPECT_EQ(serial.Calls("Send_Binary")[0].bytes, (ByteList{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD, 0x0D}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"01 03 00 00 00 0A C5 CD");
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(0));

    Pick(IDC_COMBO_TERMINATOR, 4);
    Type(IDC_EDIT_SEND, u"0xff,0x7F");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, (ByteList{0xFF, 0x7F, 0x0D, 0x0A}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"01 03 00 00 00 0A C5 CD0xff,0x7F");

    // An empty text sends just the terminator, or a count of 0, as without hex.
    Type(IDC_EDIT_SEND, u" ");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, (ByteList{0x0D, 0x0A}));
    Pick(IDC_COMBO_TERMINATOR, 0);
    Type(IDC_EDIT_SEND, u"");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().args[1], 0);

    // Off again, the text goes out as characters.
    ToggleHex(true);
    Type(IDC_EDIT_SEND, u"0A");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, Bytes("0A"));
  });
}

TEST_F(CHexSendTest, ATextThatIsNotHexSendsNothingAndTheStatusNamesTheCharacter) {
  RunApp([&] {
    OpenPort();
    ToggleHex(true);
    const std::pair<std::u16string, std::u16string> bad[] = {
        {u"01 0G",
         u"Not sent: \"G\" at position 5 is not a hex digit; Send as Hex takes pairs such as 01 0A FF, with "
         u"blanks, commas or 0x between them."},
        {u"01 2 03",
         u"Not sent: \"2\" at position 4 is a lone hex digit; Send as Hex takes each byte as two digits, "
         u"such as 0A."},
        {u"\u20AC",
         u"Not sent: \"\u20AC\" at position 1 is not a hex digit; Send as Hex takes pairs such as 01 0A "
         u"FF, with blanks, commas or 0x between them."},
    };
    for (const auto& [text, status] : bad) {
      Type(IDC_EDIT_SEND, text);
      Click(IDC_BUTTON_SEND);
      EXPECT_EQ(Text(IDC_EDIT_STATUS), status);
    }
    EXPECT_EQ(serial.Count("Send_Binary"), 0u);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"");

    // Each automatic send reads the text as it stands then.
    Type(IDC_EDIT_SEND, u"AA 5");
    Click(IDC_BUTTON_START_AUTO);
    Advance(100);
    EXPECT_EQ(serial.Count("Send_Binary"), 0u);
    EXPECT_EQ(Text(IDC_EDIT_STATUS).substr(0, 25), u"Not sent: \"5\" at position");
    Type(IDC_EDIT_SEND, u"AA 55");
    Advance(200);
    ASSERT_EQ(serial.Count("Send_Binary"), 2u);
    EXPECT_EQ(serial.Calls("Send_Binary").back().bytes, (ByteList{0xAA, 0x55, 0x0D}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"AA 55AA 55");
    Click(IDC_BUTTON_STOP_AUTO);
  });
}

TEST_F(CHexSendTest, ALongHexTextGoesOutInBlocksAndARefusedBlockKeepsTheRestOutOfTheRecord) {
  RunApp([&] {
    OpenPort();
    ToggleHex(true);
    std::u16string text;
    ByteList bytes;
    for (int i = 0; i < 1500; ++i) {
      const char16_t digits[] = u"0123456789ABCDEF";
      text += {digits[i % 256 / 16], digits[i % 16], u' '};
      bytes.push_back(static_cast<uint8_t>(i));
    }
    Type(IDC_EDIT_SEND, text);
    Click(IDC_BUTTON_SEND);
    auto sends = serial.Calls("Send_Binary");
    ASSERT_EQ(sends.size(), 2u);
    ByteList all = sends[0].bytes;
    all.insert(all.end(), sends[1].bytes.begin(), sends[1].bytes.end());
    bytes.push_back(0x0D);
    EXPECT_EQ(all, bytes);
    EXPECT_EQ(sends[0].bytes.size(), 1023u);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), text);

    // The second block refused: the record has the text of the first.
    Click(IDC_BUTTON_CLEAR_SEND);
    serial.script.sendResults = {0, 33};
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), text.substr(0, 1023 * 3));
    EXPECT_EQ(Text(IDC_EDIT_STATUS), fake::MessageFor(33) + u" Only the first 1023 of its 1501 bytes went out.");
  });
}

}  // namespace
