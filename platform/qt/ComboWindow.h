// A drop-down list with an editable field. It shows the items, the selection
// and the field's text that the window has; a person's pick and typing go to
// the window through win::input, whose class procedure decides what they do.
// Qt's own rules (adding what is typed, completing it) are turned off.
#pragma once

#include <QComboBox>

#include "ViewWindow.h"

namespace qtview {

class CComboWindow final : public QComboBox, public CViewWindow {
 public:
  CComboWindow(CWindowHost& host, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }

  void ShowText(size_t nAppendedFrom) override;
  void ShowItems() override;
  void ShowSelection() override;
  // The window's height is the field and its dropped-down list together: the
  // field keeps the style's height, the list gets the rest.
  void ShowGeometry() override;
  void showPopup() override;
  void resizeEvent(QResizeEvent* pEvent) override;
  void changeEvent(QEvent* pEvent) override;

  int FieldHeight() const;
  int ListHeight() const { return m_nListHeight; }
  // Room for the field's text: QLineEdit keeps a margin on each side.
  static constexpr int kFieldMargin = 2;
  int FieldTextWidth() const;

 private:
  // A text a little wider than the field is shown a point smaller at most,
  // as a label's is.
  void FitFieldFont();
  int m_nListHeight = 0;
};

}  // namespace qtview
