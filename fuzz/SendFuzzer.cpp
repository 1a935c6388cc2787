// The send operation: any text of characters up to U+00FF and any terminator
// must reach the library as the narrowed text and the terminator, in blocks
// that fit the buffer; a text with a wider character sends nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FakeSerial.h"
#include "FuzzTerminal.h"
#include "TextConversion.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  if (nSize < 1) return 0;
  int nTerminator = (pData[0] & 0x7F) % 7;  // 5: other text typed, 6: empty field
  // The high bit picks two bytes a unit, so that both kinds of text are found.
  std::u16string text;
  if (pData[0] & 0x80) {
    for (size_t i = 1; i + 1 < nSize; i += 2) text += static_cast<char16_t>(pData[i] | (pData[i + 1] << 8));
  } else {
    for (size_t i = 1; i < nSize; ++i) text += static_cast<char16_t>(pData[i]);
  }
  RunTerminal([&](HWND hDlg, win::CVirtualClock&) {
    HWND hTerminator = GetDlgItem(hDlg, IDC_COMBO_TERMINATOR);
    if (nTerminator < 5) {
      win::input::Pick(hTerminator, nTerminator);
    } else {
      win::input::Edit(hTerminator, nTerminator == 5 ? u"CR" : u"");
    }
    win::input::Edit(GetDlgItem(hDlg, IDC_EDIT_SEND), text);
    win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_SEND));

    static const std::string_view kTerminators[] = {"", "\r", "\n", "\n\r", "\r\n", "", ""};
    std::string_view terminator = kTerminators[nTerminator];
    std::vector<uint8_t> expected;
    for (char16_t ch : text) expected.push_back(Narrow(ch));
    expected.insert(expected.end(), terminator.begin(), terminator.end());

    auto sends = fake::Serial().Calls("Send_Binary");
    HWND hRecord = GetDlgItem(hDlg, IDC_EDIT_SEND_RECORD);
    if (std::any_of(text.begin(), text.end(), [](char16_t ch) { return ch > 0xFF; })) {
      Check(sends.empty(), "a wide character sends nothing");
      Check(GetWindowText(hRecord).empty(), "nothing is recorded");
      Check(GetWindowText(GetDlgItem(hDlg, IDC_EDIT_STATUS)).starts_with(u"Send String holds \""),
            "the status names the character");
      return;
    }
    Check(!sends.empty(), "a send calls the library");
    std::vector<uint8_t> sent;
    for (size_t k = 0; k < sends.size(); ++k) {
      Check(sends[k].bytes.size() <= 1023, "a block fits the buffer with its zero byte");
      if (k + 1 < sends.size()) Check(sends[k].bytes.size() == 1023, "only the last block is short");
      sent.insert(sent.end(), sends[k].bytes.begin(), sends[k].bytes.end());
    }
    Check(sent == expected, "the library gets the narrowed text and the terminator");
    Check(GetWindowText(hRecord) == text, "the record shows the text as typed");
  });
  return 0;
}
