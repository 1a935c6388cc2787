// A drop-down list with an editable field. Up and Down pick the item before
// or after the selected one, F4 or Alt+Down drops the list down, where Up,
// Down, Enter and clicks choose; other keys edit the field.
#pragma once

#include <string>

#include "FieldCell.h"

namespace tui {

class CComboCell final : public CFieldCell {
 public:
  using CFieldCell::CFieldCell;
  void Draw(CScreen& screen) override;
  std::optional<SCellRect> Popup() const override;
  void DrawPopup(CScreen& screen) override;
  bool Key(const SInput& in) override;
  bool Mouse(const SInput& in) override;
  void Leave() override;

  // Rows the dropped list may take, from the template.
  void SetListRows(int nRows) { m_nListRows = nRows; }

 private:
  int Count() const;
  void Drop(bool bDrop);
  void PickHot();

  bool m_bDropped = false;
  int m_nHot = 0;    // the highlighted item of the dropped list
  int m_nFirst = 0;  // the first item in view
  int m_nListRows = 8;
};

}  // namespace tui
