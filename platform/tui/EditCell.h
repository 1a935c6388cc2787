// A one-line edit box: white, a person's keys handed on to the box. Given
// more than one row, its text wraps over them.
#pragma once

#include "FieldCell.h"

namespace tui {

class CEditCell final : public CFieldCell {
 public:
  using CFieldCell::CFieldCell;
  void Draw(CScreen& screen) override;
  bool Mouse(const SInput& in) override;
};

}  // namespace tui
