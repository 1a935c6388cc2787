#include "Mnemonic.h"

namespace win {

CShownCaption ShownCaption(std::u16string_view caption) {
  CShownCaption shown{{}, std::u16string::npos};
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != u'&' && shown.nMark == std::u16string::npos) shown.nMark = shown.strText.size();
    }
    shown.strText += caption[i];
  }
  return shown;
}

UINT MnemonicKey(std::u16string_view caption) {
  CShownCaption shown = ShownCaption(caption);
  if (shown.nMark == std::u16string::npos) return 0;
  char16_t c = shown.strText[shown.nMark];
  if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ? c : 0;
}

}  // namespace win
