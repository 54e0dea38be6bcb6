#pragma once
// The chrome every skinned window shares: a captionless dialog drawn from a
// background bitmap, clipped to a rounded shape, dragged by its title area,
// with the keys it ignores filtered out before dispatch. A window states these
// as a Skin; the layer does the composited style, the erase and the region,
// the drag, the filter and the minimised icon. The window keeps only what
// differs: its controls and their messages.

#include <windows.h>

#include "common/window/bitmap_background_win.h"
#include "common/window/dialog_win.h"

namespace tarvo {

struct Skin {
  UINT background = 0;  // the bitmap resource drawn at (0, 0) at its own size
  // The rounded shape (0, 0)-(width, height), as CreateRoundRectRgn takes it:
  // its right and bottom edges lie just outside, so a shape one larger than
  // the bitmap covers it exactly. Width 0: the window's width as it is now
  // (the session window narrows and widens).
  int shapeWidth = 0;
  int shapeHeight = 0;
  int corner = 15;      // the corner ellipses, in pixels
  int dragHeight = 0;   // a press above this client y drags the window; 0: never
  // Keys the window ignores (consumed before dispatch); null: none.
  bool (*ignoredKeys)(const MSG& msg) = nullptr;
};

class SkinnedDialog : public Dialog {
 protected:
  SkinnedDialog(HINSTANCE instance, UINT templateId, const Skin& skin)
      : Dialog(instance, templateId), skin_(skin) {}

  // From the window's initialisation: loads the background, turns on
  // composited drawing (no flicker between background and controls) and
  // sets the shape.
  void ApplySkin();
  // Drawn centred in the client area while the window is minimised; none by
  // default (the system's painting).
  void SetMinimizedIcon(HICON icon) { minimizedIcon_ = icon; }

  // The window's own messages, after the layer had its look.
  virtual bool OnWindowMessage(UINT /*msg*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }
  // The window's own pre-dispatch filter, after the ignored keys.
  virtual bool OnPreTranslate(MSG& /*msg*/) { return false; }

 private:
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) final;
  bool PreTranslateMessage(MSG& msg) final;
  void ApplyShape();
  void PaintMinimized();

  Skin skin_;
  BitmapBackground background_;
  RoundedShape shape_;
  HICON minimizedIcon_ = nullptr;
};

}  // namespace tarvo
