// The terminal's keys in the window system's terms: the virtual key with the
// keys held, or the character typed.
#pragma once

#include <optional>

#include "Screen.h"
#include "WinTypes.h"

namespace tui {

struct SKeyInput {
  UINT vk = 0;          // 0 for a typed character
  UINT nModifiers = 0;  // win::input::kShift, kCtrl
  char32_t ch = 0;
};

std::optional<SKeyInput> KeyOf(const SInput& in);

}  // namespace tui
