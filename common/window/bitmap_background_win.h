#pragma once
// A window's background bitmap held in a memory drawing context, and the
// rounded window shape drawn around it.

#include <windows.h>

namespace tarvo {

class BitmapBackground {
 public:
  BitmapBackground() = default;
  ~BitmapBackground();
  BitmapBackground(const BitmapBackground&) = delete;
  BitmapBackground& operator=(const BitmapBackground&) = delete;

  // Loads the bitmap resource into a drawing context compatible with the screen.
  bool Load(HINSTANCE instance, UINT bitmapId);
  int width() const { return width_; }
  int height() const { return height_; }

  // Copies the bitmap to (0, 0) of `dc` at its own size.
  void Paint(HDC dc) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Gives `window` the rounded-rectangle shape (0, 0)-(right, bottom) with
// corner ellipses of `corner` pixels. Setting a region repaints the window,
// so an unchanged shape is not set again (a repaint must not set it anew).
class RoundedShape {
 public:
  void Apply(HWND window, int right, int bottom, int corner);
  void Reset() { right_ = bottom_ = -1; }

 private:
  int right_ = -1;
  int bottom_ = -1;
};

}  // namespace tarvo
