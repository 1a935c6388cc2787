// A drop-down list with an editable field. A person's pick reaches the
// window as a pick (a selection set by code stays silent, as on the
// platform); typing in the field reaches it as an edit, which leaves the
// list with no selection. Nothing typed is ever added to the list.
#pragma once

#include <QComboBox>

#include "ViewWindow.h"

namespace qtview {

class CComboWindow final : public QComboBox, public CViewWindow {
 public:
  CComboWindow(CQtView& view, HWND hWnd, QWidget* pParent);
  QWidget* Widget() override { return this; }

  void ShowText(size_t nAppendedFrom) override;
  void ShowItems() override;
  void ShowSelection() override;
  // The window's height is the field and its dropped-down list together: the
  // field keeps the style's height, the list gets the rest.
  void ShowGeometry() override;
  void showPopup() override;

  int FieldHeight() const;
  int ListHeight() const { return m_nListHeight; }

 private:
  int m_nListHeight = 0;
};

}  // namespace qtview
