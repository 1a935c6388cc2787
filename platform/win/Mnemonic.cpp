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

UINT MnemonicKey(char32_t c) {
  if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
  return (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ? static_cast<UINT>(c) : 0;
}

UINT MnemonicKey(std::u16string_view caption) {
  CShownCaption shown = ShownCaption(caption);
  return shown.nMark == std::u16string::npos ? 0 : MnemonicKey(shown.strText[shown.nMark]);
}

}  // namespace win
