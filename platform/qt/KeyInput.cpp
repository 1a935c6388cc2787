#include "KeyInput.h"

#include "UserInput.h"

namespace qtview {

std::optional<SKeyInput> KeyOf(const QKeyEvent& event) {
  Qt::KeyboardModifiers modifiers = event.modifiers();
  SKeyInput key;
  if (modifiers & Qt::ShiftModifier) key.nModifiers |= win::input::kShift;
  if (modifiers & Qt::ControlModifier) key.nModifiers |= win::input::kCtrl;
  if (modifiers & Qt::AltModifier) key.nModifiers |= win::input::kAlt;
  int nKey = event.key();
  if (nKey >= Qt::Key_A && nKey <= Qt::Key_Z) {
    key.vk = static_cast<UINT>('A' + (nKey - Qt::Key_A));
    return key;
  }
  switch (nKey) {
    case Qt::Key_Backspace:
      key.vk = VK_BACK;
      break;
    case Qt::Key_Tab:
      key.vk = VK_TAB;
      break;
    case Qt::Key_Backtab:
      key.vk = VK_TAB;
      key.nModifiers |= win::input::kShift;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      key.vk = VK_RETURN;
      break;
    case Qt::Key_Escape:
      key.vk = VK_ESCAPE;
      break;
    case Qt::Key_PageUp:
      key.vk = VK_PRIOR;
      break;
    case Qt::Key_PageDown:
      key.vk = VK_NEXT;
      break;
    case Qt::Key_End:
      key.vk = VK_END;
      break;
    case Qt::Key_Home:
      key.vk = VK_HOME;
      break;
    case Qt::Key_Left:
      key.vk = VK_LEFT;
      break;
    case Qt::Key_Up:
      key.vk = VK_UP;
      break;
    case Qt::Key_Right:
      key.vk = VK_RIGHT;
      break;
    case Qt::Key_Down:
      key.vk = VK_DOWN;
      break;
    case Qt::Key_Insert:
      key.vk = VK_INSERT;
      break;
    case Qt::Key_Delete:
      key.vk = VK_DELETE;
      break;
    default:
      return std::nullopt;
  }
  return key;
}

std::u32string TypedOf(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
  std::u32string typed;
  for (char32_t c : event.text().toUcs4())
    if (c >= 0x20 && c != 0x7F) typed += c;
  return typed;
}

}  // namespace qtview
