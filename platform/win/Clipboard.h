// The clipboard that an edit box's Cut, Copy and Paste use. The window
// system keeps its own text, a range of the text copied from, so a copy of
// a large record costs no second copy; a view that has a desktop clipboard
// (or a terminal's) puts a hook in front of it.
#pragma once

#include <string>
#include <string_view>

#include "TextRange.h"

namespace win {

class CClipboard {
 public:
  virtual ~CClipboard() = default;
  virtual void SetText(const CTextRange& text) = 0;
  virtual std::u16string Text() const = 0;
};

// Null puts the window system's own clipboard back.
void SetClipboard(CClipboard* pClipboard);
void SetClipboardText(const CTextRange& text);
std::u16string GetClipboardText();

}  // namespace win
