#pragma once
// What the skinned buttons draw for a given state: which picture, where the
// image goes, whether a press must be re-tracked. Kept free of Windows so the
// rules are tested natively; the _win controls only execute the answers.

namespace tarvo {

// ---- skin button --------------------------------------------------------

enum class SkinSlot { kNormal, kPressed, kHover, kDisabled, kButtonFace };

struct SkinBitmapsPresent {
  bool normal = false;
  bool pressed = false;
  bool hover = false;
  bool disabled = false;
};

// The picture for one draw; kButtonFace when the wanted bitmap is missing
// (the button is then a plain face-coloured rectangle).
constexpr SkinSlot ChooseSkinSlot(bool disabled, bool selected, bool hovering, SkinBitmapsPresent has) {
  if (disabled) return has.disabled ? SkinSlot::kDisabled : SkinSlot::kButtonFace;
  if (selected) return has.pressed ? SkinSlot::kPressed : SkinSlot::kButtonFace;
  if (!has.normal) return SkinSlot::kButtonFace;
  return hovering && has.hover ? SkinSlot::kHover : SkinSlot::kNormal;
}

enum class PushChange { kNone, kPush, kRelease };

// While the mouse is held on the button, its pushed look follows the pointer:
// pushed while over the button, released while elsewhere.
constexpr PushChange TrackPress(bool held, bool hasCapture, bool pointerOverButton, bool pushed) {
  if (!held || !hasCapture) return PushChange::kNone;
  if (pointerOverButton && !pushed) return PushChange::kPush;
  if (!pointerOverButton && pushed) return PushChange::kRelease;
  return PushChange::kNone;
}

// ---- icon button ----------------------------------------------------------

// Where the image sits relative to the caption.
enum class ImageAlign { kLeft = 0, kAbove = 1, kRight = 2 };

struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  friend constexpr bool operator==(const Box&, const Box&) = default;
};

// A check box counts as pressed while it is checked, so it shows its in-image.
constexpr bool IconButtonPressed(bool checkBox, bool selected, int check) {
  return checkBox ? (selected || check != 0) : selected;
}

// The out-image is for a resting button: not pressed, and (for a push button)
// not under the mouse. Without an out-image the in-image is used.
constexpr bool UseOutImage(bool checkBox, bool hover, bool pressed, bool hasOutImage) {
  return (checkBox || !hover) && !pressed && hasOutImage;
}

struct ImagePlacement {
  int x = 0;
  int y = 0;
  Box caption;  // what is left for the caption
};

// Places an image of `imageWidth` by `imageHeight` in `area`. With a caption
// the image keeps 3 pixels from its edge and the caption gives way; without
// one it is centred. A pushed (non check-box) button moves it 1 pixel down right.
constexpr ImagePlacement PlaceImage(Box area, int imageWidth, int imageHeight, ImageAlign align,
                                    bool hasCaption, bool pushedLook) {
  constexpr int kMargin = 3;
  ImagePlacement p{area.left + (area.width() - imageWidth) / 2, area.top + (area.height() - imageHeight) / 2,
                   area};
  switch (align) {
    case ImageAlign::kLeft:
      if (hasCaption) {
        p.x = area.left + kMargin;
        p.caption.left += imageWidth + kMargin;
      }
      break;
    case ImageAlign::kAbove:
      if (hasCaption) {
        p.y = area.top + kMargin;
        p.caption.top += imageHeight;
      }
      break;
    case ImageAlign::kRight:
      if (hasCaption) {
        p.x = area.right - imageWidth - kMargin;
        p.caption.right -= imageWidth + kMargin;
      }
      break;
  }
  if (pushedLook) {
    ++p.x;
    ++p.y;
  }
  return p;
}

}  // namespace tarvo
