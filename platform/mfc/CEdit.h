// The framework's wrapper of an edit box.
#pragma once

#include <string_view>

#include "CWnd.h"

class CEdit : public CWnd {
 public:
  // The tag the box shows inside its right edge (EM_SETTAG); empty for none.
  BOOL SetTag(std::u16string_view text) {
    return static_cast<BOOL>(SendMessage(EM_SETTAG, text.size(), reinterpret_cast<LPARAM>(text.data())));
  }
};
