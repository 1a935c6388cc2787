// A multi-line record box, drawn straight from its window's text: it holds
// no copy of the text, only the view library's line index over it, and lays
// out just the rows in view, wrapped at the box's width. It does not follow
// new text by itself: an append keeps the person's scroll position and
// selection, at a cost in proportion to the new text; any other change starts
// again from the top. A person's keys and clicks go to the window system,
// whose edit box moves the caret and edits by its own rules over the rows
// the box lends it, and the box shows the selection that comes back.
#pragma once

#include <QAbstractScrollArea>
#include <QBrush>
#include <QColor>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>
#include <string_view>

#include "EditBoxRows.h"
#include "ViewWindow.h"

namespace qtview {

class CFontMeasure;

class CRecordWindow final : public QAbstractScrollArea, public CViewWindow {
 public:
  CRecordWindow(CWindowHost& host, HWND hWnd, QWidget* pParent);
  ~CRecordWindow() override;
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
  void ShowSelection() override;
  void ShowForm() override;

  // What a person sees, each row as its margin and text, and has selected.
  QStringList VisibleRows() const;
  QString SelectedText() const;
  win::CTextSelection Selection() const;
  view::SViewTop Top() const { return m_rows.Top(); }
  // Units of the window's text laid out and drawn, or ready to be scrolled to.
  size_t ShownLength() const;
  // Bytes the box holds for its text.
  size_t MemoryBytes() const { return m_rows.Index().MemoryBytes(); }

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void changeEvent(QEvent* pEvent) override;
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
  win::CTextRange Text() const { return m_rows.Text(); }
  size_t PageRows() const;
  void Relayout();
  void Redraw();
  void SyncScrollBar();
  void OnScrollBar(int nValue);
  void ScrollRows(ptrdiff_t nRows);
  // Hands a click to the window system at a point of the viewport.
  void Mouse(UINT message, QPointF point, Qt::KeyboardModifiers modifiers);
  void RestartCaretBlink();
  struct SPaintColors {
    QColor text, selected;
    QBrush highlight;
  };
  // A hex row at fX, fY: the digits, then the character column.
  void PaintHexRow(QPainter& painter, const view::SRow& row, QPointF at, const SPaintColors& colors) const;

  std::unique_ptr<CFontMeasure> m_pMeasure;
  view::CEditBoxRows m_rows;
  int m_nWheelDelta = 0;
  // The end of the last row drawn: an append past it needs no drawing.
  size_t m_nDrawnEnd = 0;
  size_t m_nPaintedLength = 0;
  bool m_bPaintPending = false;
  QTimer m_caretBlink;
  bool m_bCaretOn = true;
};

}  // namespace qtview
