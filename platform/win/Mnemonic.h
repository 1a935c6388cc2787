// A caption's mnemonic: the character after a single & is the one a person
// types to reach the control, and is shown marked ("&Yes" shows "Yes" with
// its Y underlined); && shows one &.
#pragma once

#include <string>
#include <string_view>

#include "WinTypes.h"

namespace win {

struct CShownCaption {
  std::u16string strText;  // as shown, without the marks
  size_t nMark;            // where the marked character stands in it, or npos
};
CShownCaption ShownCaption(std::u16string_view caption);
// The key of the mnemonic as a virtual key (an upper-case letter or a digit);
// 0 when the caption has none or another character.
UINT MnemonicKey(std::u16string_view caption);
// The virtual key a typed character reaches a mnemonic by; 0 for none.
UINT MnemonicKey(char32_t c);

}  // namespace win
