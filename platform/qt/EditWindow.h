// A single-line edit box: the person's typing reaches the window as an edit.
#pragma once

#include <QLineEdit>

#include "ViewWindow.h"

namespace qtview {

class CEditWindow final : public QLineEdit, public CViewWindow {
 public:
  CEditWindow(CQtView& view, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }
  void ShowText(size_t nAppendedFrom) override;
};

}  // namespace qtview
