// The edit box: its text, its editing rules, and a person's typing, which a
// read-only box does not take.
#include "WindowRec.h"

namespace win::detail {

LRESULT EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; EditFieldProc(hWnd, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_INPUTTEXT:
      if (hWnd->style & ES_READONLY) return FALSE;
      StoreText(hWnd, CSharedText(std::u16string_view(reinterpret_cast<const char16_t*>(lParam), wParam)));
      NotifyParent(hWnd, EN_CHANGE);
      return TRUE;
  }
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail
