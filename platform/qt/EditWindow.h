// A single-line edit box: a line edit that shows the window's text and
// selection and edits nothing itself; the view hands a person's keys and
// clicks to the window system, whose edit box rules decide. The box's tag
// stands inside its right edge, in a margin the text keeps clear of.
#pragma once

#include <QLineEdit>

#include "ViewWindow.h"

namespace qtview {

class CEditWindow final : public QLineEdit, public CViewWindow {
 public:
  CEditWindow(CWindowHost& host, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
  void ShowSelection() override;
  void ShowTag() override;
  // The tag as shown, and where.
  QString ShownTag() const { return m_strTag; }
  QRect TagRect() const;

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  // The box's menu is the window system's, as a record box's is.
  void contextMenuEvent(QContextMenuEvent* pEvent) override;

 private:
  QString m_strTag;
};

// Makes a line edit show the text and selection of an edit box or a list's
// field, and takes its own editing away.
void ShowFieldText(QLineEdit& edit, HWND hWnd);
void ShowFieldSelection(QLineEdit& edit, HWND hWnd);
void MakeFieldShowOnly(QLineEdit& edit);

}  // namespace qtview
