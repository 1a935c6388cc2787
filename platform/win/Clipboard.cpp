#include "Clipboard.h"

namespace win {

namespace {

class COwnClipboard final : public CClipboard {
 public:
  void SetText(const CTextRange& text) override { m_text = text; }
  std::u16string Text() const override { return m_text.ToString(); }

 private:
  CTextRange m_text;
};

CClipboard& Own() {
  static COwnClipboard own;
  return own;
}

CClipboard* g_pClipboard = nullptr;

CClipboard& Current() { return g_pClipboard ? *g_pClipboard : Own(); }

}  // namespace

void SetClipboard(CClipboard* pClipboard) { g_pClipboard = pClipboard; }
void SetClipboardText(const CTextRange& text) { Current().SetText(text); }
std::u16string GetClipboardText() { return Current().Text(); }

}  // namespace win
