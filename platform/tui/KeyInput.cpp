#include "KeyInput.h"

#include "Mnemonic.h"
#include "UserInput.h"

namespace tui {

std::optional<SKeyInput> KeyOf(const SInput& in) {
  SKeyInput key;
  if (in.bShift) key.nModifiers |= win::input::kShift;
  if (in.bCtrl) key.nModifiers |= win::input::kCtrl;
  if (in.bAlt) key.nModifiers |= win::input::kAlt;
  switch (in.key) {
    case EKey::Char:
      if (!in.bCtrl && !in.bAlt) {
        key.ch = in.ch;
        return key;
      }
      // With Ctrl or Alt a letter is a key (Ctrl+A, Alt+Y), not typing.
      key.vk = win::MnemonicKey(in.ch);
      if (key.vk) return key;
      break;
    case EKey::Tab:
      key.vk = VK_TAB;
      return key;
    case EKey::BackTab:
      key.vk = VK_TAB;
      key.nModifiers |= win::input::kShift;
      return key;
    case EKey::Enter:
      key.vk = VK_RETURN;
      return key;
    case EKey::Escape:
      key.vk = VK_ESCAPE;
      return key;
    case EKey::Up:
      key.vk = VK_UP;
      return key;
    case EKey::Down:
      key.vk = VK_DOWN;
      return key;
    case EKey::Left:
      key.vk = VK_LEFT;
      return key;
    case EKey::Right:
      key.vk = VK_RIGHT;
      return key;
    case EKey::Home:
      key.vk = VK_HOME;
      return key;
    case EKey::End:
      key.vk = VK_END;
      return key;
    case EKey::PageUp:
      key.vk = VK_PRIOR;
      return key;
    case EKey::PageDown:
      key.vk = VK_NEXT;
      return key;
    case EKey::Backspace:
      key.vk = VK_BACK;
      return key;
    case EKey::Delete:
      key.vk = VK_DELETE;
      return key;
    case EKey::Insert:
      key.vk = VK_INSERT;
      return key;
    case EKey::None:
    case EKey::DropDown:
    case EKey::ContextMenu:
    case EKey::Mouse:
    case EKey::Paste:
      break;
  }
  return std::nullopt;
}

}  // namespace tui
