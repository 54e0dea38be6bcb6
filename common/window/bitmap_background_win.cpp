#include "common/window/bitmap_background_win.h"

namespace tarvo {

BitmapBackground::~BitmapBackground() {
  if (dc_ != nullptr) {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

bool BitmapBackground::Load(HINSTANCE instance, UINT bitmapId) {
  bitmap_ = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0));
  if (bitmap_ == nullptr) return false;
  BITMAP info{};
  GetObjectW(bitmap_, sizeof info, &info);
  width_ = info.bmWidth;
  height_ = info.bmHeight;
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  previous_ = SelectObject(dc_, bitmap_);
  return true;
}

void BitmapBackground::Paint(HDC dc) const {
  if (dc_ != nullptr) BitBlt(dc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

void RoundedShape::Apply(HWND window, int right, int bottom, int corner) {
  if (right == right_ && bottom == bottom_) return;
  right_ = right;
  bottom_ = bottom;
  // The window owns the region once it is set.
  SetWindowRgn(window, CreateRoundRectRgn(0, 0, right, bottom, corner, corner), TRUE);
}

}  // namespace tarvo
