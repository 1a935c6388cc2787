// Qt's keys in the window system's terms: the virtual key with the keys held,
// and the characters a key typed.
#pragma once

#include <QKeyEvent>
#include <optional>
#include <string>

#include "WinTypes.h"

namespace qtview {

struct SKeyInput {
  UINT vk = 0;
  UINT nModifiers = 0;  // win::input::kShift, kCtrl, kAlt
};

// The key, if the window system has a name for it.
std::optional<SKeyInput> KeyOf(const QKeyEvent& event);
// The characters the key typed, none for a key with Ctrl, Alt or Meta.
std::u32string TypedOf(const QKeyEvent& event);

}  // namespace qtview
