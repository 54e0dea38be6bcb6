#pragma once
// Where a window goes to sit centred over its owner (portable arithmetic,
// used by the settings window after every size change).

namespace tarvo {

struct WindowOrigin {
  int x;
  int y;
  friend bool operator==(const WindowOrigin&, const WindowOrigin&) = default;
};

// The owner's window rectangle (screen pixels) and the window's client size.
// Each half is an integer division truncating toward zero, so odd sizes put
// the window one pixel further right and down than the exact centre would.
constexpr WindowOrigin CentredOver(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight, int width,
                                   int height) {
  return {ownerLeft + ownerWidth / 2 - width / 2, ownerTop + ownerHeight / 2 - height / 2};
}

}  // namespace tarvo
