#include "Clipboard.h"

namespace win {

namespace {

class COwnClipboard final : public CClipboard {
 public:
  void SetText(std::u16string_view text) override { m_strText = text; }
  std::u16string Text() const override { return m_strText; }

 private:
  std::u16string m_strText;
};

CClipboard& Own() {
  static COwnClipboard own;
  return own;
}

CClipboard* g_pClipboard = nullptr;

CClipboard& Current() { return g_pClipboard ? *g_pClipboard : Own(); }

}  // namespace

void SetClipboard(CClipboard* pClipboard) { g_pClipboard = pClipboard; }
void SetClipboardText(std::u16string_view text) { Current().SetText(text); }
std::u16string GetClipboardText() { return Current().Text(); }

}  // namespace win
