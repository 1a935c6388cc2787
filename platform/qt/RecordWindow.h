// A multi-line record box. It does not follow new text by itself. CR LF, LF
// and CR each show as one line break, also when a CR ends one change and its
// LF starts the next. An append adds only the new text, at the end, without
// moving the person's scroll position or selection, at a cost in proportion
// to the new text; any other change replaces the whole text. Appended text is
// shown from the widget's own event loop in bounded slices, so that megabytes
// arriving at once do not hold up the caller. No shown line is longer than
// kMaxBlock: a longer one gets extra line breaks, which wrapping hides.
#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <string_view>

#include "ViewWindow.h"

namespace qtview {

class CRecordWindow final : public QPlainTextEdit, public CViewWindow {
 public:
  CRecordWindow(CQtView& view, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
  // Whether appended text is still waiting to be shown.
  bool HasPending() const { return m_nInserted < m_nShown; }

  // The longest line the widget shows, in UTF-16 units.
  static constexpr int kMaxBlock = 4096;

 private:
  void Replace(std::u16string_view text);
  void InsertSlice();
  QString Bounded(const QString& text);
  void OnUserEdit();

  // Units of the window's text the widget has been told about.
  size_t m_nShown = 0;
  // Units of them the widget shows; the rest waits for m_slicer.
  size_t m_nInserted = 0;
  // Length of the widget's last line.
  int m_nLastBlock = 0;
  QTimer m_slicer;
  // Whether those units end in a CR, whose LF may come with the next append.
  bool m_bEndsInCR = false;
};

// Line breaks as the widget shows them: CR LF, LF and CR each become one LF.
// An LF that starts the text is dropped after a CR (bAfterCR); *pEndsInCR
// tells whether the text ends in a CR.
QString NormaliseLineBreaks(std::u16string_view text, bool bAfterCR, bool* pEndsInCR);

}  // namespace qtview
