#include "RecordWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>
#include <cmath>

#include "FontMeasure.h"
#include "QtText.h"
#include "RecordScrollBar.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowHost.h"
#include "WindowObserver.h"

namespace qtview {

namespace {

// Between the box's edge and its text, as the platform's edit boxes leave it.
constexpr int kMargin = 2;

size_t LengthOf(const win::CTextRange& text, size_t i) {
  return i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF
             ? 2
             : 1;
}

char32_t CodePoint(const win::CTextRange& text, size_t i, size_t nUnits) {
  if (nUnits == 1) return text[i];
  return 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
}

}  // namespace

CRecordWindow::CRecordWindow(CWindowHost& host, HWND hWnd, QWidget* pParent)
    : QAbstractScrollArea(pParent),
      CViewWindow(host, hWnd),
      m_pMeasure(std::make_unique<CFontMeasure>(font())),
      m_rows(hWnd) {
  DWORD style = GetWindowStyle(hWnd);
  setFrameShape(style & WS_BORDER ? QFrame::StyledPanel : QFrame::NoFrame);
  setFrameShadow(QFrame::Sunken);
  setVerticalScrollBar(new CRecordScrollBar);
  setVerticalScrollBarPolicy(style & WS_VSCROLL ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  SetShownFocusPolicy(Qt::StrongFocus);
  m_rows.SetMeasure(m_pMeasure.get());
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int nValue) { OnScrollBar(nValue); });
  m_caretBlink.setInterval(std::max(QApplication::cursorFlashTime() / 2, 100));
  connect(&m_caretBlink, &QTimer::timeout, this, [this] {
    m_bCaretOn = !m_bCaretOn;
    viewport()->update();
  });
  Relayout();
}

CRecordWindow::~CRecordWindow() = default;

size_t CRecordWindow::PageRows() const {
  double fSpacing = m_pMeasure->Metrics().lineSpacing();
  int nHeight = viewport()->height() - 2 * kMargin;
  return std::max<size_t>(1, static_cast<size_t>(std::floor(nHeight / fSpacing)));
}

void CRecordWindow::ShowText(size_t nAppendedFrom) {
  size_t nOldLength = m_rows.Index().Length();
  if (m_rows.Update(nAppendedFrom)) {
    SyncScrollBar();
    // Rows below the view wait until the person scrolls to them.
    if (m_nDrawnEnd >= nOldLength) Redraw();
    return;
  }
  // The person's own edit keeps the caret in view; other text shows from the top.
  if (m_rView.IsFeeding(m_hWnd))
    m_rows.Reveal(Selection().Caret());
  else
    m_rows.ScrollHome();
  SyncScrollBar();
  Redraw();
}

void CRecordWindow::ShowForm() {
  if (!m_rows.SyncForm()) return;
  SyncScrollBar();
  Redraw();
}

void CRecordWindow::ShowSelection() {
  m_rows.Reveal(Selection().Caret());
  SyncScrollBar();
  RestartCaretBlink();
  Redraw();
}

win::CTextSelection CRecordWindow::Selection() const { return win::GetEditSelection(m_hWnd); }

QStringList CRecordWindow::VisibleRows() const {
  const win::CTextRange text = Text();
  win::SEditForm form = m_rows.Form();
  QStringList rows;
  for (const view::SRow& row : m_rows.VisibleRows()) {
    std::u16string shown;
    if (form.bTimes) {
      // A row that goes on a line has a blank margin.
      shown = m_rows.MarginText(row);
      shown.resize(12, u' ');
      shown += u' ';
    }
    shown += form.bHex ? win::HexRowText(text, {row.nStart, row.nEnd}, m_rows.HexRowUnits())
                       : text.substr(row.nStart, row.nEnd - row.nStart).ToString();
    rows << ToQString(shown);
  }
  return rows;
}

QString CRecordWindow::SelectedText() const {
  win::CTextSelection selection = Selection();
  return ToQString(Text().substr(selection.Start(), selection.End() - selection.Start()));
}

size_t CRecordWindow::ShownLength() const {
  size_t nLength = m_rows.Index().Length();
  return m_bPaintPending && isVisible() ? std::min(m_nPaintedLength, nLength) : nLength;
}

void CRecordWindow::Relayout() {
  m_rows.SetWidth(viewport()->width() - 2 * kMargin);
  m_rows.SetPageRows(PageRows());
  m_rows.ScrollBy(0);
  SyncScrollBar();
  Redraw();
}

void CRecordWindow::Redraw() {
  m_bPaintPending = true;
  viewport()->update();
}

// The scroll bar's signals are held back while it is set: the box is not
// scrolled by its own setting, and the scroll area has nothing to lay out
// again while the bar's policy is fixed (on every append, at the line rate).
void CRecordWindow::SyncScrollBar() {
  int nMax = static_cast<int>(std::min<size_t>(m_rows.ScrollMax(), INT_MAX));
  int nValue = static_cast<int>(std::min<size_t>(m_rows.ScrollValue(), INT_MAX));
  QScrollBar* pBar = verticalScrollBar();
  const QSignalBlocker blocker(pBar);
  pBar->setRange(0, nMax);
  pBar->setPageStep(static_cast<int>(m_rows.PageRows()));
  pBar->setSingleStep(1);
  pBar->setValue(nValue);
}

void CRecordWindow::OnScrollBar(int nValue) {
  m_rows.ScrollToValue(static_cast<size_t>(std::max(nValue, 0)));
  Redraw();
}

void CRecordWindow::ScrollRows(ptrdiff_t nRows) {
  m_rows.ScrollBy(nRows);
  SyncScrollBar();
  Redraw();
}

void CRecordWindow::Mouse(UINT message, QPointF point, Qt::KeyboardModifiers modifiers) {
  double fSpacing = m_pMeasure->Metrics().lineSpacing();
  auto nRow = static_cast<int>(std::floor((point.y() - kMargin) / fSpacing));
  nRow = std::clamp(nRow, 0, static_cast<int>(PageRows()));
  auto x = static_cast<int>(std::lround(point.x() - kMargin));
  UINT nModifiers = (modifiers & Qt::ShiftModifier) ? win::input::kShift : 0;
  m_rView.Input(m_hWnd, [&] { win::input::Mouse(m_hWnd, message, x, nRow, nModifiers); });
}

void CRecordWindow::RestartCaretBlink() {
  m_bCaretOn = true;
  if (hasFocus()) m_caretBlink.start();
}

void CRecordWindow::PaintHexRow(QPainter& painter, const view::SRow& row, QPointF at,
                                const SPaintColors& colors) const {
  const win::CTextRange text = Text();
  const view::CHexLayout& hex = m_rows.Hex();
  double fBlank = hex.Blank(), fAscent = m_pMeasure->Metrics().ascent(), fSpacing = m_pMeasure->Metrics().lineSpacing();
  win::CTextSelection selection = Selection();
  size_t nSelStart = std::max(selection.Start(), row.nStart), nSelEnd = std::min(selection.End(), row.nEnd);
  if (nSelStart < nSelEnd) {
    double fX0 = hex.XOf(row, nSelStart), fX1 = hex.XOf(row, nSelEnd) - fBlank;
    painter.fillRect(QRectF(at.x() + fX0, at.y(), fX1 - fX0, fSpacing), colors.highlight);
    fX0 = hex.ColumnX(text, row, nSelStart);
    fX1 = hex.ColumnX(text, row, nSelEnd);
    painter.fillRect(QRectF(at.x() + fX0, at.y(), fX1 - fX0, fSpacing), colors.highlight);
  }
  std::u16string shown = win::HexRowText(text, {row.nStart, row.nEnd}, hex.RowUnits());
  double fColumn = hex.ColumnX(text, row, row.nStart);
  for (size_t i = row.nStart; i < row.nEnd; ++i) {
    painter.setPen(i >= nSelStart && i < nSelEnd ? colors.selected : colors.text);
    // Each digit in its cell.
    for (size_t n = 0; n < 2; ++n)
      painter.drawText(QPointF(at.x() + hex.XOf(row, i) + static_cast<double>(n) * hex.Cell(), at.y() + fAscent),
                       CharString(shown[3 * (i - row.nStart) + n]));
    if (char32_t c = win::HexColumnChar(text, {row.nStart, row.nEnd}, i)) {
      painter.drawText(QPointF(at.x() + fColumn, at.y() + fAscent), CharString(c));
      fColumn += m_pMeasure->Advance(c, fColumn);
    }
  }
}

void CRecordWindow::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& pal = palette();
  QPalette::ColorGroup group = !isEnabled() ? QPalette::Disabled : hasFocus() ? QPalette::Active : QPalette::Inactive;
  painter.fillRect(viewport()->rect(), pal.brush(group, QPalette::Base));
  painter.setFont(font());
  const win::CTextRange text = Text();
  const QFontMetricsF& metrics = m_pMeasure->Metrics();
  double fSpacing = metrics.lineSpacing(), fAscent = metrics.ascent();
  double fBreakWidth = metrics.horizontalAdvance(u' ');
  win::CTextSelection selection = Selection();
  size_t nSelStart = selection.Start(), nSelEnd = selection.End();
  const view::CRecordLayout& layout = m_rows.Layout();
  SPaintColors colors{pal.color(group, QPalette::Text), pal.color(group, QPalette::HighlightedText),
                      pal.brush(group, QPalette::Highlight)};
  const bool bHex = m_rows.Form().bHex;
  // The rows start after the times' margin, when there is one.
  const double fLeft = kMargin + m_rows.MarginWidth();

  std::vector<view::SRow> rows = m_rows.VisibleRows(1);
  double fY = kMargin;
  m_nDrawnEnd = 0;
  for (const view::SRow& row : rows) {
    if (std::u16string margin = m_rows.MarginText(row); !margin.empty()) {
      painter.setPen(pal.color(QPalette::Disabled, QPalette::Text));
      painter.drawText(QPointF(kMargin, fY + fAscent), ToQString(margin));
    }
    if (bHex) {
      PaintHexRow(painter, row, QPointF(fLeft, fY), colors);
    } else {
      if (nSelStart < nSelEnd && nSelStart <= row.nEnd && nSelEnd > row.nStart) {
        double fX0 = layout.XOf(text, row, std::max(nSelStart, row.nStart));
        double fX1 = layout.XOf(text, row, std::min(nSelEnd, row.nEnd));
        // A selected line break shows as a blank's width.
        if (nSelEnd > row.nEnd && row.bLastOfLine) fX1 += fBreakWidth;
        if (fX1 > fX0) painter.fillRect(QRectF(fLeft + fX0, fY, fX1 - fX0, fSpacing), colors.highlight);
      }
      double fX = 0;
      for (size_t i = row.nStart; i < row.nEnd;) {
        size_t nUnits = LengthOf(text, i);
        char32_t c = CodePoint(text, i, nUnits);
        double fAdvance = m_pMeasure->Advance(c, fX);
        if (c != U'\t' && c != U' ') {
          painter.setPen(i >= nSelStart && i < nSelEnd ? colors.selected : colors.text);
          painter.drawText(QPointF(fLeft + fX, fY + fAscent), CharString(c));
        }
        fX += fAdvance;
        i += nUnits;
      }
    }
    bool bLastRow = row.bLastOfLine && (bHex || row.nLine + 1 == m_rows.Index().LineCount());
    m_nDrawnEnd = bLastRow ? m_rows.Index().Length() : row.nEnd;
    fY += fSpacing;
  }

  if (hasFocus()) {
    if (m_bCaretOn) {
      view::SRow at = m_rows.RowAt(selection.Caret());
      auto it = std::find_if(rows.begin(), rows.end(),
                             [&](const view::SRow& row) { return row.nLine == at.nLine && row.nRow == at.nRow; });
      if (it != rows.end()) {
        double fX = fLeft + m_rows.XOf(at, selection.Caret());
        double fTop = kMargin + static_cast<double>(it - rows.begin()) * fSpacing;
        painter.fillRect(QRectF(fX, fTop, 1, fSpacing), colors.text);
      }
    }
    // The focus frame.
    painter.setPen(pal.color(QPalette::Active, QPalette::Highlight));
    painter.drawRect(viewport()->rect().adjusted(0, 0, -1, -1));
  }
  m_bPaintPending = false;
  m_nPaintedLength = m_rows.Index().Length();
}

void CRecordWindow::resizeEvent(QResizeEvent* pEvent) {
  QAbstractScrollArea::resizeEvent(pEvent);
  Relayout();
}

void CRecordWindow::changeEvent(QEvent* pEvent) {
  QAbstractScrollArea::changeEvent(pEvent);
  if (pEvent->type() == QEvent::FontChange) {
    m_pMeasure = std::make_unique<CFontMeasure>(font());
    m_rows.SetMeasure(m_pMeasure.get());
    Relayout();
  }
}

void CRecordWindow::mousePressEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) Mouse(WM_LBUTTONDOWN, pEvent->position(), pEvent->modifiers());
}

void CRecordWindow::mouseMoveEvent(QMouseEvent* pEvent) {
  if (!(pEvent->buttons() & Qt::LeftButton)) return;
  // Dragging past an edge scrolls a row at a time.
  if (pEvent->position().y() < 0) ScrollRows(-1);
  if (pEvent->position().y() > viewport()->height()) ScrollRows(1);
  Mouse(WM_MOUSEMOVE, pEvent->position(), pEvent->modifiers());
}

void CRecordWindow::mouseReleaseEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) Mouse(WM_LBUTTONUP, pEvent->position(), pEvent->modifiers());
}

void CRecordWindow::mouseDoubleClickEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) Mouse(WM_LBUTTONDBLCLK, pEvent->position(), pEvent->modifiers());
}

void CRecordWindow::wheelEvent(QWheelEvent* pEvent) {
  m_nWheelDelta += pEvent->angleDelta().y();
  int nSteps = m_nWheelDelta / 120;
  m_nWheelDelta %= 120;
  if (nSteps != 0) ScrollRows(-static_cast<ptrdiff_t>(nSteps) * QApplication::wheelScrollLines());
  pEvent->accept();
}

void CRecordWindow::contextMenuEvent(QContextMenuEvent* pEvent) {
  QPoint at = pEvent->globalPos();
  m_rView.Input(m_hWnd, [&] { win::input::ContextMenu(m_hWnd, POINT{at.x(), at.y()}); });
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
