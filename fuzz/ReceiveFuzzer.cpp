// The receive poll against a model of what the record must gain: any blocks
// of any size and content, and any tail selection.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FakeSerial.h"
#include "FuzzTerminal.h"
#include "TextConversion.h"
#include "UserInput.h"
#include "Window.h"
#include "resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
  RunTerminal([&](HWND hDlg, win::CVirtualClock& clock) {
    win::input::Click(GetDlgItem(hDlg, IDC_BUTTON_OPEN));
    HWND hTail = GetDlgItem(hDlg, IDC_COMBO_TAIL);
    std::u16string expected;
    size_t i = 0;
    while (i + 3 <= nSize) {
      // Per tick: the tail choice (none when typed over), then a block length.
      int nTail = pData[i] % 4;
      if (nTail == 3) {
        win::input::Edit(hTail, u"?");
      } else {
        win::input::Pick(hTail, nTail);
      }
      size_t nLength = (pData[i + 1] | (pData[i + 2] << 8)) % 5000;
      i += 3;
      nLength = std::min(nLength, nSize - i);
      fake::Serial().Arrive(std::vector<uint8_t>(pData + i, pData + i + nLength));
      size_t nDrop = nTail == 3 ? 0 : static_cast<size_t>(nTail);
      for (size_t k = 0; k + nDrop < nLength; ++k) expected += WidenReceived(pData[i + k]);
      i += nLength;
      clock.Advance(50);
      Check(fake::Serial().Waiting() == 0, "a tick reads everything waiting");
      Check(GetWindowText(GetDlgItem(hDlg, IDC_EDIT_RECEIVE_RECORD)) == expected,
            "the record gains the block less its tail");
    }
  });
  return 0;
}
