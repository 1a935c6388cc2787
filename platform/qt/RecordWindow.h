// A multi-line record box, drawn straight from its window's text: it holds
// no copy of the text, only the view library's line index over it, and lays
// out just the rows in view, wrapped at the box's width. It does not follow
// new text by itself: an append keeps the person's scroll position and
// selection, at a cost in proportion to the new text; any other change starts
// again from the top. What a person types, deletes or pastes goes to the
// window system as an edit, and the box shows what comes back.
#pragma once

#include <QAbstractScrollArea>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>
#include <string_view>

#include "LineIndex.h"
#include "RecordLayout.h"
#include "TextSelection.h"
#include "ViewWindow.h"

namespace qtview {

class CFontMeasure;

class CRecordWindow final : public QAbstractScrollArea, public CViewWindow {
 public:
  CRecordWindow(CQtView& view, HWND hWnd, QWidget* pParent);
  ~CRecordWindow() override;
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;

  // What a person sees and has selected.
  QStringList VisibleRows() const;
  QString SelectedText() const;
  const view::CTextSelection& Selection() const { return m_selection; }
  view::SViewTop Top() const { return m_top; }
  // Units of the window's text laid out and drawn, or ready to be scrolled to.
  size_t ShownLength() const;
  // Bytes the box holds for its text.
  size_t MemoryBytes() const { return m_index.MemoryBytes(); }

  void Copy() const;
  void SelectAll();

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void changeEvent(QEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  void mousePressEvent(QMouseEvent* pEvent) override;
  void mouseMoveEvent(QMouseEvent* pEvent) override;
  void mouseReleaseEvent(QMouseEvent* pEvent) override;
  void mouseDoubleClickEvent(QMouseEvent* pEvent) override;
  void wheelEvent(QWheelEvent* pEvent) override;
  void contextMenuEvent(QContextMenuEvent* pEvent) override;
  void focusInEvent(QFocusEvent* pEvent) override;
  void focusOutEvent(QFocusEvent* pEvent) override;
  void scrollContentsBy(int, int) override {}

 private:
  std::u16string_view Text() const;
  size_t PageRows() const;
  void Relayout();
  void Redraw();
  void SyncScrollBar();
  void OnScrollBar(int nValue);
  void ScrollRows(ptrdiff_t nRows);
  // Moves the caret where a person's key or click put it and shows it.
  void PlaceCaret(size_t nPos, bool bExtend, bool bKeepGoal = false);
  size_t HitTest(QPointF point) const;
  // Replaces the selection with what a person typed or pasted.
  void ReplaceSelection(std::u16string_view text);
  void Paste();
  void RestartCaretBlink();

  view::CLineIndex m_index;
  std::unique_ptr<CFontMeasure> m_pMeasure;
  view::CRecordLayout m_layout{m_index};
  view::CTextSelection m_selection;
  view::SViewTop m_top;
  // Where up and down aim.
  double m_fGoalX = 0;
  bool m_bReadOnly = false;
  bool m_bSyncingScrollBar = false;
  bool m_bDragging = false;
  int m_nWheelDelta = 0;
  // The end of the last row drawn: an append past it needs no drawing.
  size_t m_nDrawnEnd = 0;
  size_t m_nPaintedLength = 0;
  bool m_bPaintPending = false;
  QTimer m_caretBlink;
  bool m_bCaretOn = true;
};

}  // namespace qtview
