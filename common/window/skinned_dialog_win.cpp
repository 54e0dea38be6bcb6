#include "common/window/skinned_dialog_win.h"

namespace tarvo {

void SkinnedDialog::ApplySkin() {
  background_.Load(instance(), skin_.background);
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) | WS_EX_COMPOSITED);
  ApplyShape();
}

void SkinnedDialog::ApplyShape() {
  int width = skin_.shapeWidth;
  if (width == 0) {
    RECT window{};
    GetWindowRect(hwnd(), &window);
    width = window.right - window.left;
  }
  shape_.Apply(hwnd(), width, skin_.shapeHeight, skin_.corner);
}

void SkinnedDialog::PaintMinimized() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, minimizedIcon_);
  EndPaint(hwnd(), &paint);
}

bool SkinnedDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (msg) {
    case WM_ERASEBKGND:
      background_.Paint(reinterpret_cast<HDC>(wParam));
      ApplyShape();
      // A dialog answers through DWLP_MSGRESULT: the background is erased.
      SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, TRUE);
      result = TRUE;
      return true;
    case WM_PAINT:
      if (minimizedIcon_ == nullptr || !IsIconic(hwnd())) break;
      PaintMinimized();
      result = TRUE;
      return true;
    case WM_QUERYDRAGICON:
      if (minimizedIcon_ == nullptr) break;
      result = reinterpret_cast<INT_PTR>(minimizedIcon_);
      return true;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) ApplyShape();
      break;
    case WM_LBUTTONDOWN:
      if (skin_.dragHeight > 0) DragByTitleArea(hwnd(), lParam, skin_.dragHeight);
      break;
    default:
      break;
  }
  return OnWindowMessage(msg, wParam, lParam, result);
}

bool SkinnedDialog::PreTranslateMessage(MSG& msg) {
  if (skin_.ignoredKeys != nullptr && skin_.ignoredKeys(msg)) return true;
  return OnPreTranslate(msg);
}

}  // namespace tarvo
