#include "client/controls/button_faces.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// ---- skin button faces -------------------------------------------------------

struct SlotCase {
  const char* name;
  bool disabled, selected, hovering;
  SkinBitmapsPresent has;
  SkinSlot expected;
};

constexpr SkinBitmapsPresent kAll{true, true, true, true};
constexpr SkinBitmapsPresent kNoHover{true, true, false, true};
constexpr SkinBitmapsPresent kNone{};

TEST(SkinFace, PictureFollowsTheStateTable) {
  const SlotCase cases[] = {
      {"resting", false, false, false, kAll, SkinSlot::kNormal},
      {"hovered", false, false, true, kAll, SkinSlot::kHover},
      {"hovered without a hover picture", false, false, true, kNoHover, SkinSlot::kNormal},
      {"pressed wins over hover", false, true, true, kAll, SkinSlot::kPressed},
      {"disabled wins over press and hover", true, true, true, kAll, SkinSlot::kDisabled},
      {"never skinned", false, false, false, kNone, SkinSlot::kButtonFace},
      {"never skinned, pressed", false, true, false, kNone, SkinSlot::kButtonFace},
      {"never skinned, disabled", true, false, false, kNone, SkinSlot::kButtonFace},
      {"hover picture alone does not replace a missing normal",
       false,
       false,
       true,
       {false, false, true, false},
       SkinSlot::kButtonFace},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseSkinSlot(c.disabled, c.selected, c.hovering, c.has), c.expected) << c.name;
  }
}

TEST(SkinFace, HeldPressFollowsThePointer) {
  // held, capture, pointer over, pushed -> change
  EXPECT_EQ(TrackPress(true, true, true, false), PushChange::kPush);     // dragged back on
  EXPECT_EQ(TrackPress(true, true, false, true), PushChange::kRelease);  // dragged off
  EXPECT_EQ(TrackPress(true, true, true, true), PushChange::kNone);
  EXPECT_EQ(TrackPress(true, true, false, false), PushChange::kNone);
  EXPECT_EQ(TrackPress(false, true, false, true), PushChange::kNone);  // not held here
  EXPECT_EQ(TrackPress(true, false, false, true), PushChange::kNone);  // capture lost
}

// ---- icon button -------------------------------------------------------------

TEST(IconButtonImage, CheckBoxShowsItsStateWhateverTheMouseDoes) {
  for (bool hover : {false, true}) {
    const bool setPressed = IconButtonPressed(true, false, 1);
    const bool clearPressed = IconButtonPressed(true, false, 0);
    EXPECT_FALSE(UseOutImage(true, hover, setPressed, true)) << "set box shows the in-icon, hover " << hover;
    EXPECT_TRUE(UseOutImage(true, hover, clearPressed, true))
        << "clear box shows the out-icon, hover " << hover;
  }
  // Held down on a clear box: previews the set look.
  EXPECT_FALSE(UseOutImage(true, false, IconButtonPressed(true, true, 0), true));
}

TEST(IconButtonImage, PushButtonLightsUpOnHoverAndPress) {
  EXPECT_FALSE(IconButtonPressed(false, false, 1)) << "check state means nothing to a push button";
  EXPECT_TRUE(UseOutImage(false, false, false, true));
  EXPECT_FALSE(UseOutImage(false, true, false, true));
  EXPECT_FALSE(UseOutImage(false, false, true, true));
  EXPECT_FALSE(UseOutImage(false, false, false, false)) << "no out-image: the in-image stands in";
}

TEST(IconButtonImage, PlacementByAlignment) {
  constexpr Box kArea{0, 0, 100, 30};
  struct Case {
    const char* name;
    ImageAlign align;
    bool caption, pushed;
    int x, y;
    Box captionBox;
  } cases[] = {
      {"left with caption", ImageAlign::kLeft, true, false, 3, 7, {19, 0, 100, 30}},
      {"left without caption is centred", ImageAlign::kLeft, false, false, 42, 7, kArea},
      {"above with caption", ImageAlign::kAbove, true, false, 42, 3, {0, 16, 100, 30}},
      {"right with caption", ImageAlign::kRight, true, false, 81, 7, {0, 0, 81, 30}},
      {"pushed moves the image", ImageAlign::kLeft, true, true, 4, 8, {19, 0, 100, 30}},
  };
  for (const auto& c : cases) {
    const ImagePlacement p = PlaceImage(kArea, 16, 16, c.align, c.caption, c.pushed);
    EXPECT_EQ(p.x, c.x) << c.name;
    EXPECT_EQ(p.y, c.y) << c.name;
    EXPECT_EQ(p.caption, c.captionBox) << c.name;
  }
}

TEST(IconButtonImage, BoxSizedIconFillsItsBox) {
  // The check-box icons are made at their box's size; an odd width loses a
  // pixel to the hot-spot size and must still start at the box's edge.
  const Box box{0, 0, 133, 19};
  const ImagePlacement p = PlaceImage(box, 132, 18, ImageAlign::kLeft, false, false);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  const ImagePlacement inset = PlaceImage({1, 1, 53, 17}, 52, 16, ImageAlign::kLeft, false, false);
  EXPECT_EQ(inset.x, 1);
  EXPECT_EQ(inset.y, 1);
}

}  // namespace
}  // namespace tarvo
