#include "RecordWindow.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "QtText.h"
#include "QtView.h"
#include "UserInput.h"
#include "Window.h"
#include "WindowObserver.h"

namespace qtview {

QString NormaliseLineBreaks(std::u16string_view text, bool bAfterCR, bool* pEndsInCR) {
  size_t n = text.size();
  QString out(static_cast<qsizetype>(n), Qt::Uninitialized);
  QChar* pOut = out.data();
  qsizetype k = 0;
  size_t i = bAfterCR && n > 0 && text[0] == u'\n' ? 1 : 0;
  for (; i < n; ++i) {
    char16_t c = text[i];
    if (c == u'\r') {
      pOut[k++] = u'\n';
      if (i + 1 < n && text[i + 1] == u'\n') ++i;
    } else {
      pOut[k++] = QChar(c);
    }
  }
  out.truncate(k);
  *pEndsInCR = n > 0 ? text[n - 1] == u'\r' : bAfterCR;
  return out;
}

namespace {

// Units of the window's text shown per turn of the event loop: small enough
// to keep the loop responsive, large enough to keep up with a fast port.
constexpr size_t kSlice = 64 * 1024;

}  // namespace

CRecordWindow::CRecordWindow(CQtView& view, HWND hWnd, QWidget* pParent)
    : QPlainTextEdit(pParent), CViewWindow(view, hWnd) {
  DWORD style = GetWindowStyle(hWnd);
  setFrameShape(style & WS_BORDER ? QFrame::StyledPanel : QFrame::NoFrame);
  setReadOnly(style & ES_READONLY);
  // Without a horizontal scroll bar the platform wraps the lines.
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setVerticalScrollBarPolicy(style & WS_VSCROLL ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(true);
  // A record only grows; an undo history would keep a second copy of it.
  document()->setUndoRedoEnabled(false);
  SetShownFocusPolicy(Qt::StrongFocus);
  m_slicer.setInterval(0);
  connect(&m_slicer, &QTimer::timeout, this, [this] { InsertSlice(); });
  connect(this, &QPlainTextEdit::textChanged, [this] { OnUserEdit(); });
}

void CRecordWindow::ShowText(size_t nAppendedFrom) {
  std::u16string_view text = GetWindowTextShared(m_hWnd).View();
  if (nAppendedFrom != win::CWindowObserver::kReplaced && nAppendedFrom == m_nShown) {
    m_nShown = text.size();
    if (HasPending() && !m_slicer.isActive()) m_slicer.start();
    return;
  }
  // The echo of the person's own typing is shown already.
  bool bEcho = m_rView.IsFeeding(m_hWnd) && !HasPending() && text == ToU16(toPlainText());
  if (!bEcho) Replace(text);
  m_nShown = m_nInserted = text.size();
  m_slicer.stop();
}

void CRecordWindow::Replace(std::u16string_view text) {
  CQtView::CApplying applying(m_rView);
  m_nLastBlock = 0;
  setPlainText(Bounded(NormaliseLineBreaks(text, false, &m_bEndsInCR)));
}

QString CRecordWindow::Bounded(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / kMaxBlock + 1);
  int n = m_nLastBlock;
  for (QChar c : text) {
    if (c == u'\n') {
      n = 0;
    } else {
      // A surrogate pair stays on one line.
      if (n + (c.isHighSurrogate() ? 2 : 1) > kMaxBlock) {
        out += u'\n';
        n = 0;
      }
      ++n;
    }
    out += c;
  }
  m_nLastBlock = n;
  return out;
}

void CRecordWindow::InsertSlice() {
  std::u16string_view text = GetWindowTextShared(m_hWnd).View();
  size_t nEnd = std::min(m_nShown, m_nInserted + kSlice);
  QString chunk = Bounded(NormaliseLineBreaks(text.substr(m_nInserted, nEnd - m_nInserted), m_bEndsInCR, &m_bEndsInCR));
  m_nInserted = nEnd;
  if (!HasPending()) m_slicer.stop();
  if (chunk.isEmpty()) return;
  CQtView::CApplying applying(m_rView);
  int nVertical = verticalScrollBar()->value(), nHorizontal = horizontalScrollBar()->value();
  QTextCursor mine = textCursor();
  int nAnchor = mine.anchor(), nPosition = mine.position();

  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.beginEditBlock();
  end.insertText(chunk);
  end.endEditBlock();

  // A caret or selection that touched the end would have grown with the text.
  mine = textCursor();
  if (mine.anchor() != nAnchor || mine.position() != nPosition) {
    mine.setPosition(nAnchor);
    mine.setPosition(nPosition, QTextCursor::KeepAnchor);
    setTextCursor(mine);
  }
  verticalScrollBar()->setValue(nVertical);
  horizontalScrollBar()->setValue(nHorizontal);
}

void CRecordWindow::OnUserEdit() {
  if (m_rView.IsApplying()) return;
  std::u16string text = ToU16(toPlainText());
  m_bEndsInCR = false;
  QTextBlock last = document()->lastBlock();
  m_nLastBlock = last.length() - 1;
  m_slicer.stop();
  m_rView.Input(m_hWnd, [&] { win::input::Edit(m_hWnd, text); });
  m_nShown = m_nInserted = GetWindowTextShared(m_hWnd).View().size();
}

}  // namespace qtview
