// The send operation: any text and any terminator must reach the library as
// the narrowed text and the terminator, in blocks that fit the buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FakeSerial.h"
#include "FuzzTerminal.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  if (nSize < 1) return 0;
  int nTerminator = pData[0] % 7;  // 5: other text typed, 6: empty field
  std::u16string text;
  for (size_t i = 1; i + 1 < nSize; i += 2) text += static_cast<char16_t>(pData[i] | (pData[i + 1] << 8));
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
    for (char16_t ch : text) expected.push_back(static_cast<uint8_t>(ch & 0xFF));
    expected.insert(expected.end(), terminator.begin(), terminator.end());

    auto sends = fake::Serial().Calls("Send_Binary");
    Check(!sends.empty(), "a send calls the library");
    std::vector<uint8_t> sent;
    for (size_t k = 0; k < sends.size(); ++k) {
      Check(sends[k].bytes.size() <= 1023, "a block fits the buffer with its zero byte");
      if (k + 1 < sends.size()) Check(sends[k].bytes.size() == 1023, "only the last block is short");
      sent.insert(sent.end(), sends[k].bytes.begin(), sends[k].bytes.end());
    }
    Check(sent == expected, "the library gets the narrowed text and the terminator");
    Check(GetWindowText(GetDlgItem(hDlg, IDC_EDIT_SEND_RECORD)) == text, "the record shows the text as typed");
  });
  return 0;
}
