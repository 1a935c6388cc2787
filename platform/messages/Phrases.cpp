#include "Phrases.h"

#include "SystemText.h"

std::u16string Sentence(std::string_view strPhrase) {
  std::u16string strText = WidenUtf8(strPhrase);
  if (!strText.empty() && strText[0] >= u'a' && strText[0] <= u'z')
    strText[0] = static_cast<char16_t>(strText[0] - u'a' + u'A');
  return strText;
}
