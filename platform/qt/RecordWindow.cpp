#include "RecordWindow.h"

#include <QScrollBar>
#include <QTextCursor>

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
  connect(this, &QPlainTextEdit::textChanged, [this] { OnUserEdit(); });
}

void CRecordWindow::ShowText(size_t nAppendedFrom) {
  std::u16string_view text = GetWindowTextShared(m_hWnd).View();
  if (nAppendedFrom != win::CWindowObserver::kReplaced && nAppendedFrom == m_nShown) {
    Append(text.substr(nAppendedFrom));
  } else if (m_rView.IsFeeding(m_hWnd) && text == ToU16(toPlainText())) {
    // The echo of the person's own typing.
  } else {
    Replace(text);
  }
  m_nShown = text.size();
}

void CRecordWindow::Replace(std::u16string_view text) {
  CQtView::CApplying applying(m_rView);
  setPlainText(NormaliseLineBreaks(text, false, &m_bEndsInCR));
}

void CRecordWindow::Append(std::u16string_view text) {
  QString chunk = NormaliseLineBreaks(text, m_bEndsInCR, &m_bEndsInCR);
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
  m_rView.Input(m_hWnd, [&] { win::input::Edit(m_hWnd, text); });
  m_nShown = GetWindowTextShared(m_hWnd).View().size();
}

}  // namespace qtview
