// A one-line edit box: white, the person's typing handed on as the box's
// new text.
#pragma once

#include "CellWindow.h"
#include "LineEditor.h"

namespace tui {

class CEditCell final : public CCellWindow {
 public:
  CEditCell(CTextView& view, HWND hWnd);
  void Draw(CScreen& screen) override;
  std::optional<std::pair<int, int>> Caret() const override;
  bool Key(const SInput& in) override;
  bool Mouse(const SInput& in) override;
  void ShowText(size_t nAppendedFrom) override;
  void Focused();
  void Leave() override;

 private:
  CLineEditor m_editor;
};

}  // namespace tui
