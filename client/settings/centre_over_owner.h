#pragma once
// Where a window goes to sit centred over its owner (portable arithmetic,
// used by the settings window after every size change).

namespace tarvo {

struct WindowOrigin {
  int x;
  int y;
  friend bool operator==(const WindowOrigin&, const WindowOrigin&) = default;
};

// From the owner's window rectangle (screen pixels) and the window's client
// size; each half is an integer division truncating toward zero.
constexpr WindowOrigin CentredOver(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight, int width,
                                   int height) {
  return {ownerLeft + ownerWidth / 2 - width / 2, ownerTop + ownerHeight / 2 - height / 2};
}

}  // namespace tarvo
