// The label: it shows its text and takes no input.
#include "WindowRec.h"

namespace win::detail {

LRESULT StaticProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return BaseWindowProc(hWnd, message, wParam, lParam);
}

}  // namespace win::detail
