#include "RecordWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>

#include "FontMeasure.h"
#include "QtText.h"
#include "QtView.h"
#include "RecordScrollBar.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowObserver.h"

namespace qtview {

namespace {

// Between the box's edge and its text, as the platform's edit boxes leave it.
constexpr int kMargin = 2;

size_t LengthOf(std::u16string_view text, size_t i) {
  return i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF
             ? 2
             : 1;
}

char32_t CodePoint(std::u16string_view text, size_t i, size_t nUnits) {
  if (nUnits == 1) return text[i];
  return 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
}

}  // namespace

CRecordWindow::CRecordWindow(CQtView& view, HWND hWnd, QWidget* pParent)
    : QAbstractScrollArea(pParent), CViewWindow(view, hWnd), m_pMeasure(std::make_unique<CFontMeasure>(font())) {
  DWORD style = GetWindowStyle(hWnd);
  setFrameShape(style & WS_BORDER ? QFrame::StyledPanel : QFrame::NoFrame);
  setFrameShadow(QFrame::Sunken);
  m_bReadOnly = style & ES_READONLY;
  setVerticalScrollBar(new CRecordScrollBar);
  setVerticalScrollBarPolicy(style & WS_VSCROLL ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  SetShownFocusPolicy(Qt::StrongFocus);
  m_layout.SetMeasure(m_pMeasure.get());
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int nValue) { OnScrollBar(nValue); });
  m_caretBlink.setInterval(std::max(QApplication::cursorFlashTime() / 2, 100));
  connect(&m_caretBlink, &QTimer::timeout, this, [this] {
    m_bCaretOn = !m_bCaretOn;
    viewport()->update();
  });
  Relayout();
}

CRecordWindow::~CRecordWindow() = default;

std::u16string_view CRecordWindow::Text() const { return GetWindowTextShared(m_hWnd).View(); }

size_t CRecordWindow::PageRows() const {
  double fSpacing = m_pMeasure->Metrics().lineSpacing();
  int nHeight = viewport()->height() - 2 * kMargin;
  return std::max<size_t>(1, static_cast<size_t>(std::floor(nHeight / fSpacing)));
}

void CRecordWindow::ShowText(size_t nAppendedFrom) {
  std::u16string_view text = Text();
  size_t nOldLength = m_index.Length();
  bool bAppend = nAppendedFrom != win::CWindowObserver::kReplaced && nAppendedFrom == nOldLength;
  m_index.Update(text, bAppend ? nAppendedFrom : view::CLineIndex::kAppendedNone);
  if (bAppend) {
    SyncScrollBar();
    // Rows below the view wait until the person scrolls to them.
    if (m_nDrawnEnd >= nOldLength) Redraw();
    return;
  }
  if (m_rView.IsFeeding(m_hWnd)) {
    // The person's own edit: the caret stays where the edit left it.
    m_selection.Clamp(text.size());
    m_top = m_layout.Reveal(text, m_layout.Scroll(text, m_top, 0, PageRows()), m_selection.Caret(), PageRows());
  } else {
    m_selection = {};
    m_top = {};
    m_fGoalX = 0;
  }
  SyncScrollBar();
  Redraw();
}

QStringList CRecordWindow::VisibleRows() const {
  std::u16string_view text = Text();
  QStringList rows;
  for (const view::SRow& row : m_layout.Rows(text, m_top, PageRows()))
    rows << ToQString(text.substr(row.nStart, row.nEnd - row.nStart));
  return rows;
}

QString CRecordWindow::SelectedText() const {
  return ToQString(Text().substr(m_selection.Start(), m_selection.End() - m_selection.Start()));
}

size_t CRecordWindow::ShownLength() const {
  return m_bPaintPending && isVisible() ? std::min(m_nPaintedLength, m_index.Length()) : m_index.Length();
}

void CRecordWindow::Copy() const {
  if (!m_selection.IsEmpty()) QApplication::clipboard()->setText(SelectedText());
}

void CRecordWindow::SelectAll() {
  m_selection.Select(0, Text().size());
  Redraw();
}

void CRecordWindow::Relayout() {
  m_layout.SetWidth(viewport()->width() - 2 * kMargin);
  std::u16string_view text = Text();
  m_top = m_layout.Scroll(text, m_top, 0, PageRows());
  SyncScrollBar();
  Redraw();
}

void CRecordWindow::Redraw() {
  m_bPaintPending = true;
  viewport()->update();
}

// The scroll bar counts lines; its end is the last page, which may start
// within a line.
void CRecordWindow::SyncScrollBar() {
  std::u16string_view text = Text();
  view::SViewTop last = m_layout.LastTop(text, PageRows());
  int nMax = static_cast<int>(std::min<size_t>(last.nLine + (last.nRow > 0 ? 1 : 0), INT_MAX));
  int nValue = m_top >= last ? nMax : static_cast<int>(std::min<size_t>(m_top.nLine, INT_MAX));
  m_bSyncingScrollBar = true;
  QScrollBar* pBar = verticalScrollBar();
  pBar->setRange(0, nMax);
  pBar->setPageStep(static_cast<int>(PageRows()));
  pBar->setSingleStep(1);
  pBar->setValue(nValue);
  m_bSyncingScrollBar = false;
}

void CRecordWindow::OnScrollBar(int nValue) {
  if (m_bSyncingScrollBar) return;
  std::u16string_view text = Text();
  view::SViewTop last = m_layout.LastTop(text, PageRows());
  m_top =
      nValue >= verticalScrollBar()->maximum() ? last : std::min(view::SViewTop{static_cast<size_t>(nValue), 0}, last);
  Redraw();
}

void CRecordWindow::ScrollRows(ptrdiff_t nRows) {
  m_top = m_layout.Scroll(Text(), m_top, nRows, PageRows());
  SyncScrollBar();
  Redraw();
}

void CRecordWindow::PlaceCaret(size_t nPos, bool bExtend, bool bKeepGoal) {
  std::u16string_view text = Text();
  m_selection.MoveCaret(nPos, bExtend);
  if (!bKeepGoal) m_fGoalX = m_layout.XOf(text, m_layout.RowAt(text, nPos), nPos);
  m_top = m_layout.Reveal(text, m_top, nPos, PageRows());
  SyncScrollBar();
  RestartCaretBlink();
  Redraw();
}

size_t CRecordWindow::HitTest(QPointF point) const {
  std::u16string_view text = Text();
  double fSpacing = m_pMeasure->Metrics().lineSpacing();
  std::vector<view::SRow> rows = m_layout.Rows(text, m_top, PageRows() + 1);
  auto nRow = static_cast<ptrdiff_t>(std::floor((point.y() - kMargin) / fSpacing));
  nRow = std::clamp<ptrdiff_t>(nRow, 0, static_cast<ptrdiff_t>(rows.size()) - 1);
  return m_layout.PositionAt(text, rows[static_cast<size_t>(nRow)], point.x() - kMargin);
}

void CRecordWindow::ReplaceSelection(std::u16string_view inserted) {
  if (m_bReadOnly) return;
  std::u16string_view text = Text();
  size_t nStart = m_selection.Start(), nEnd = m_selection.End();
  std::u16string edited;
  edited.reserve(text.size() - (nEnd - nStart) + inserted.size());
  edited.append(text.substr(0, nStart)).append(inserted).append(text.substr(nEnd));
  m_selection.MoveCaret(nStart + inserted.size(), false);
  m_rView.Input(m_hWnd, [&] { win::input::Edit(m_hWnd, edited); });
  m_fGoalX = m_layout.XOf(Text(), m_layout.RowAt(Text(), m_selection.Caret()), m_selection.Caret());
  RestartCaretBlink();
}

void CRecordWindow::Paste() {
  QString text = QApplication::clipboard()->text();
  if (!text.isEmpty()) ReplaceSelection(ToU16(text));
}

void CRecordWindow::RestartCaretBlink() {
  m_bCaretOn = true;
  if (hasFocus()) m_caretBlink.start();
}

void CRecordWindow::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& pal = palette();
  QPalette::ColorGroup group = !isEnabled() ? QPalette::Disabled : hasFocus() ? QPalette::Active : QPalette::Inactive;
  painter.fillRect(viewport()->rect(), pal.brush(group, QPalette::Base));
  painter.setFont(font());
  std::u16string_view text = Text();
  const QFontMetricsF& metrics = m_pMeasure->Metrics();
  double fSpacing = metrics.lineSpacing(), fAscent = metrics.ascent();
  double fBreakWidth = metrics.horizontalAdvance(u' ');
  size_t nSelStart = m_selection.Start(), nSelEnd = m_selection.End();
  QColor text0 = pal.color(group, QPalette::Text), textSel = pal.color(group, QPalette::HighlightedText);
  QBrush highlight = pal.brush(group, QPalette::Highlight);

  std::vector<view::SRow> rows = m_layout.Rows(text, m_top, PageRows() + 1);
  double fY = kMargin;
  m_nDrawnEnd = 0;
  for (const view::SRow& row : rows) {
    if (nSelStart < nSelEnd && nSelStart <= row.nEnd && nSelEnd > row.nStart) {
      double fX0 = m_layout.XOf(text, row, std::max(nSelStart, row.nStart));
      double fX1 = m_layout.XOf(text, row, std::min(nSelEnd, row.nEnd));
      // A selected line break shows as a blank's width.
      if (nSelEnd > row.nEnd && row.bLastOfLine) fX1 += fBreakWidth;
      if (fX1 > fX0) painter.fillRect(QRectF(kMargin + fX0, fY, fX1 - fX0, fSpacing), highlight);
    }
    double fX = 0;
    for (size_t i = row.nStart; i < row.nEnd;) {
      size_t nUnits = LengthOf(text, i);
      char32_t c = CodePoint(text, i, nUnits);
      double fAdvance = m_pMeasure->Advance(c, fX);
      if (c != U'\t' && c != U' ') {
        painter.setPen(i >= nSelStart && i < nSelEnd ? textSel : text0);
        painter.drawText(QPointF(kMargin + fX, fY + fAscent), CharString(c));
      }
      fX += fAdvance;
      i += nUnits;
    }
    m_nDrawnEnd = row.bLastOfLine && row.nLine + 1 == m_index.LineCount() ? m_index.Length() : row.nEnd;
    fY += fSpacing;
  }

  if (hasFocus()) {
    if (m_bCaretOn) {
      view::SRow at = m_layout.RowAt(text, m_selection.Caret());
      auto it = std::find_if(rows.begin(), rows.end(),
                             [&](const view::SRow& row) { return row.nLine == at.nLine && row.nRow == at.nRow; });
      if (it != rows.end()) {
        double fX = kMargin + m_layout.XOf(text, at, m_selection.Caret());
        double fTop = kMargin + static_cast<double>(it - rows.begin()) * fSpacing;
        painter.fillRect(QRectF(fX, fTop, 1, fSpacing), text0);
      }
    }
    // The focus frame.
    painter.setPen(pal.color(QPalette::Active, QPalette::Highlight));
    painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
  }
  m_bPaintPending = false;
  m_nPaintedLength = m_index.Length();
}

void CRecordWindow::resizeEvent(QResizeEvent* pEvent) {
  QAbstractScrollArea::resizeEvent(pEvent);
  Relayout();
}

void CRecordWindow::changeEvent(QEvent* pEvent) {
  QAbstractScrollArea::changeEvent(pEvent);
  if (pEvent->type() == QEvent::FontChange) {
    m_pMeasure = std::make_unique<CFontMeasure>(font());
    m_layout.SetMeasure(m_pMeasure.get());
    Relayout();
  }
}

void CRecordWindow::keyPressEvent(QKeyEvent* pEvent) {
  if (pEvent == QKeySequence::Copy) return Copy();
  if (pEvent == QKeySequence::SelectAll) return SelectAll();
  if (pEvent == QKeySequence::Paste) return Paste();
  if (pEvent == QKeySequence::Cut) {
    if (m_bReadOnly || m_selection.IsEmpty()) return;
    Copy();
    return ReplaceSelection({});
  }
  std::u16string_view text = Text();
  Qt::KeyboardModifiers modifiers = pEvent->modifiers();
  bool bShift = modifiers & Qt::ShiftModifier, bCtrl = modifiers & Qt::ControlModifier;
  size_t nPage = PageRows();
  auto move = [&](view::ECaretMove to, bool bKeepGoal = false) {
    PlaceCaret(m_layout.MoveCaret(text, m_selection.Caret(), to, m_fGoalX, nPage), bShift, bKeepGoal);
  };
  switch (pEvent->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      bool bLeft = pEvent->key() == Qt::Key_Left;
      // An arrow without Shift first drops the selection at its side.
      if (!bShift && !bCtrl && !m_selection.IsEmpty())
        return PlaceCaret(bLeft ? m_selection.Start() : m_selection.End(), false);
      if (bCtrl) return move(bLeft ? view::ECaretMove::WordLeft : view::ECaretMove::WordRight);
      return move(bLeft ? view::ECaretMove::Left : view::ECaretMove::Right);
    }
    case Qt::Key_Up:
      return move(view::ECaretMove::Up, true);
    case Qt::Key_Down:
      return move(view::ECaretMove::Down, true);
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      bool bUp = pEvent->key() == Qt::Key_PageUp;
      // The view moves a page and the caret with it.
      m_top = m_layout.Scroll(text, m_top, bUp ? -static_cast<ptrdiff_t>(nPage) : static_cast<ptrdiff_t>(nPage), nPage);
      return move(bUp ? view::ECaretMove::PageUp : view::ECaretMove::PageDown, true);
    }
    case Qt::Key_Home:
      return move(bCtrl ? view::ECaretMove::Start : view::ECaretMove::RowStart);
    case Qt::Key_End:
      return move(bCtrl ? view::ECaretMove::End : view::ECaretMove::RowEnd);
    case Qt::Key_Backspace:
      if (m_selection.IsEmpty()) m_selection.Select(m_selection.Caret(), view::PreviousStop(text, m_selection.Caret()));
      return ReplaceSelection({});
    case Qt::Key_Delete:
      if (bShift) {
        if (m_bReadOnly || m_selection.IsEmpty()) return;
        Copy();
        return ReplaceSelection({});
      }
      if (m_selection.IsEmpty()) m_selection.Select(m_selection.Caret(), view::NextStop(text, m_selection.Caret()));
      return ReplaceSelection({});
    case Qt::Key_Insert:
      if (bShift) return Paste();
      if (bCtrl) return Copy();
      break;
    default:
      break;
  }
  QString typed = pEvent->text();
  if (!typed.isEmpty() && !bCtrl && !(modifiers & (Qt::AltModifier | Qt::MetaModifier)) && typed[0].isPrint())
    return ReplaceSelection(ToU16(typed));
  QAbstractScrollArea::keyPressEvent(pEvent);
}

void CRecordWindow::mousePressEvent(QMouseEvent* pEvent) {
  if (pEvent->button() != Qt::LeftButton) return;
  m_bDragging = true;
  PlaceCaret(HitTest(pEvent->position()), pEvent->modifiers() & Qt::ShiftModifier);
}

void CRecordWindow::mouseMoveEvent(QMouseEvent* pEvent) {
  if (!m_bDragging || !(pEvent->buttons() & Qt::LeftButton)) return;
  // Dragging past an edge scrolls a row at a time.
  if (pEvent->position().y() < 0) ScrollRows(-1);
  if (pEvent->position().y() > viewport()->height()) ScrollRows(1);
  PlaceCaret(HitTest(pEvent->position()), true);
}

void CRecordWindow::mouseReleaseEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) m_bDragging = false;
}

void CRecordWindow::mouseDoubleClickEvent(QMouseEvent* pEvent) {
  if (pEvent->button() != Qt::LeftButton) return;
  std::u16string_view text = Text();
  size_t nPos = HitTest(pEvent->position());
  view::SRow row = m_layout.RowAt(text, nPos);
  // The character under the pointer, or the last one before a row's end.
  double fX = pEvent->position().x() - kMargin;
  if (nPos > row.nStart && (nPos == row.nEnd || m_layout.XOf(text, row, nPos) > fX))
    nPos = view::PreviousStop(text, nPos);
  auto [nFirst, nLast] = view::WordAround(text, nPos);
  m_selection.Select(nFirst, nLast);
  m_bDragging = false;
  RestartCaretBlink();
  Redraw();
}

void CRecordWindow::wheelEvent(QWheelEvent* pEvent) {
  m_nWheelDelta += pEvent->angleDelta().y();
  int nSteps = m_nWheelDelta / 120;
  m_nWheelDelta %= 120;
  if (nSteps != 0) ScrollRows(-static_cast<ptrdiff_t>(nSteps) * QApplication::wheelScrollLines());
  pEvent->accept();
}

void CRecordWindow::contextMenuEvent(QContextMenuEvent* pEvent) {
  auto* pMenu = new QMenu(this);
  pMenu->setAttribute(Qt::WA_DeleteOnClose);
  bool bSelected = !m_selection.IsEmpty();
  bool bCanPaste = !m_bReadOnly && !QApplication::clipboard()->text().isEmpty();
  pMenu
      ->addAction(QStringLiteral("Cu&t"), this,
                  [this] {
                    Copy();
                    ReplaceSelection({});
                  })
      ->setEnabled(bSelected && !m_bReadOnly);
  pMenu->addAction(QStringLiteral("&Copy"), this, [this] { Copy(); })->setEnabled(bSelected);
  pMenu->addAction(QStringLiteral("&Paste"), this, [this] { Paste(); })->setEnabled(bCanPaste);
  pMenu->addAction(QStringLiteral("&Delete"), this, [this] { ReplaceSelection({}); })
      ->setEnabled(bSelected && !m_bReadOnly);
  pMenu->addSeparator();
  pMenu->addAction(QStringLiteral("Select &All"), this, [this] { SelectAll(); })->setEnabled(!Text().empty());
  pMenu->popup(pEvent->globalPos());
}

void CRecordWindow::focusInEvent(QFocusEvent* pEvent) {
  QAbstractScrollArea::focusInEvent(pEvent);
  RestartCaretBlink();
  Redraw();
}

void CRecordWindow::focusOutEvent(QFocusEvent* pEvent) {
  QAbstractScrollArea::focusOutEvent(pEvent);
  m_caretBlink.stop();
  Redraw();
}

}  // namespace qtview
