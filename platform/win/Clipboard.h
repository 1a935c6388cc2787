// The clipboard that an edit box's Cut, Copy and Paste use. The window
// system keeps its own text; a view that has a desktop clipboard (or a
// terminal's) puts a hook in front of it.
#pragma once

#include <string>
#include <string_view>

namespace win {

class CClipboard {
 public:
  virtual ~CClipboard() = default;
  virtual void SetText(std::u16string_view text) = 0;
  virtual std::u16string Text() const = 0;
};

// Null puts the window system's own clipboard back.
void SetClipboard(CClipboard* pClipboard);
void SetClipboardText(std::u16string_view text);
std::u16string GetClipboardText();

}  // namespace win
