// A multi-line record box. It does not follow new text by itself. CR LF, LF
// and CR each show as one line break, also when a CR ends one change and its
// LF starts the next. An append adds only the new text, at the end, without
// moving the person's scroll position or selection, at a cost in proportion
// to the new text; any other change replaces the whole text.
#pragma once

#include <QPlainTextEdit>
#include <string_view>

#include "ViewWindow.h"

namespace qtview {

class CRecordWindow final : public QPlainTextEdit, public CViewWindow {
 public:
  CRecordWindow(CQtView& view, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;

 private:
  void Replace(std::u16string_view text);
  void Append(std::u16string_view text);
  void OnUserEdit();

  // Units of the window's text the widget shows.
  size_t m_nShown = 0;
  // Whether those units end in a CR, whose LF may come with the next append.
  bool m_bEndsInCR = false;
};

// Line breaks as the widget shows them: CR LF, LF and CR each become one LF.
// An LF that starts the text is dropped after a CR (bAfterCR); *pEndsInCR
// tells whether the text ends in a CR.
QString NormaliseLineBreaks(std::u16string_view text, bool bAfterCR, bool* pEndsInCR);

}  // namespace qtview
