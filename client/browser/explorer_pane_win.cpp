#include "client/browser/explorer_pane_win.h"

namespace tarvo {

void CExplorer1::Attach(HWND dialog, int id) {
  hwnd_ = GetDlgItem(dialog, id);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_CLIPCHILDREN);
}

void CExplorer1::Place(int x, int y, int width, int height) {
  if (hwnd_ != nullptr) MoveWindow(hwnd_, x, y, width, height, TRUE);
}

RECT CExplorer1::ClientRect() const {
  RECT rc{};
  if (hwnd_ != nullptr) GetClientRect(hwnd_, &rc);
  return rc;
}

}  // namespace tarvo
