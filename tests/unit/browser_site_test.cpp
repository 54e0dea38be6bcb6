#include <gtest/gtest.h>

#include "client/browser/himetric.h"
#include "client/browser/site_answers.h"

namespace tarvo {
namespace {

// ---- HIMETRIC extents -----------------------------------------------------------

TEST(Himetric, PaneExtentsAtCommonScreenResolutions) {
  const struct {
    const char* name;
    PixelRect rect;
    int dpiX, dpiY;
    HimetricSize expected;
  } cases[] = {
      {"640x342 at 96 dpi", {0, 0, 640, 342}, 96, 96, {16933, 9049}},
      {"notice pane at 96 dpi", {0, 0, 301, 346}, 96, 96, {7964, 9155}},
      {"banner pane at 96 dpi", {0, 0, 319, 109}, 96, 96, {8440, 2884}},
      {"x and y take their own resolution", {0, 0, 640, 342}, 96, 120, {16933, 7239}},
      {"144 dpi", {0, 0, 640, 342}, 144, 144, {11289, 6033}},
      {"empty", {5, 5, 5, 5}, 96, 96, {0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HimetricExtent(c.rect, c.dpiX, c.dpiY), c.expected) << c.name;
  }
}

TEST(Himetric, CoordinatesAreConvertedBeforeTheDifferenceIsTaken) {
  // 1 px = 26.46 -> 26 and 2 px = 52.92 -> 53, so one pixel from x 1 to x 2
  // spans 27 units, not the 26 of a converted width.
  EXPECT_EQ(HimetricExtent({1, 1, 2, 2}, 96, 96), (HimetricSize{27, 27}));
  EXPECT_EQ(HimetricExtent({-300, -300, 300, 300}, 96, 96), (HimetricSize{15876, 15876}));
}

TEST(Himetric, RoundsLikeMulDiv) {
  const struct {
    int number, numerator, denominator, expected;
  } cases[] = {
      {640, 2540, 96, 16933},  // .33 down
      {342, 2540, 96, 9049},   // .75 up
      {1, 2540, 40, 64},       // exactly .5: away from zero
      {-1, 2540, 40, -64},
      {-342, 2540, 96, -9049},
      {342, 2540, -96, -9049},
      {-342, 2540, -96, 9049},
      {7, 3, 0, -1},               // no divisor
      {2000000000, 2540, 96, -1},  // does not fit
      {0x7fffffff, 1, 1, 0x7fffffff},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDivRounded(c.number, c.numerator, c.denominator), c.expected)
        << c.number << " * " << c.numerator << " / " << c.denominator;
  }
}

// ---- the container's answers --------------------------------------------------------

TEST(BrowserSite, QueryInterfaceGivesTheHostsFacesAndRefusesTheRest) {
  // Ids as the platform defines them.
  const InterfaceId unknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  const InterfaceId clientSite{0x00000118, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  const InterfaceId inPlaceSite{0x00000119, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  const InterfaceId storage{0x0000000B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  const InterfaceId oleObject{0x00000112, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  const InterfaceId inPlaceSiteEx{
      0x9C2CAD80, 0x3424, 0x11CF, {0xB6, 0x70, 0x00, 0xAA, 0x00, 0x4C, 0xD6, 0xD8}};
  const InterfaceId docHostUiHandler{
      0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
  const InterfaceId serviceProvider{
      0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}};
  const InterfaceId dispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  // Differs from IUnknown in the last byte only.
  const InterfaceId nearUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x47}};

  const struct {
    const char* name;
    InterfaceId iid;
    SiteInterface expected;
  } cases[] = {
      {"IUnknown", unknown, SiteInterface::kClientSite},
      {"IOleClientSite", clientSite, SiteInterface::kClientSite},
      {"IOleInPlaceSite", inPlaceSite, SiteInterface::kInPlaceSite},
      {"IStorage", storage, SiteInterface::kStorage},
      {"IOleObject", oleObject, SiteInterface::kNone},
      {"IOleInPlaceSiteEx", inPlaceSiteEx, SiteInterface::kNone},
      {"IDocHostUIHandler", docHostUiHandler, SiteInterface::kNone},
      {"IServiceProvider", serviceProvider, SiteInterface::kNone},
      {"IDispatch", dispatch, SiteInterface::kNone},
      {"near IUnknown", nearUnknown, SiteInterface::kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(InterfaceFor(c.iid), c.expected) << c.name;
}

TEST(BrowserSite, GetMonikerFailsOnlyForTheContainerMonikerIfThere) {
  // OLEGETMONIKER_* and OLEWHICHMK_* values.
  constexpr std::uint32_t kOnlyIfThere = 1, kForceAssign = 2, kUnassign = 3, kTempForUser = 4;
  constexpr std::uint32_t kContainer = 1, kObjRel = 2, kObjFull = 3;
  const struct {
    std::uint32_t assign, which;
    std::int32_t expected;
  } cases[] = {
      {kOnlyIfThere, kContainer, site_result::kFail},
      {kOnlyIfThere, kObjRel, site_result::kNotImplemented},
      {kOnlyIfThere, kObjFull, site_result::kNotImplemented},
      {kForceAssign, kContainer, site_result::kNotImplemented},
      {kUnassign, kContainer, site_result::kNotImplemented},
      {kTempForUser, kContainer, site_result::kNotImplemented},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MonikerAnswer(c.assign, c.which), c.expected) << c.assign << "/" << c.which;
}

TEST(BrowserSite, WindowContextPlacesTheObjectInTheParentWithoutFrameObjects) {
  const PixelRect rect{0, 0, 301, 346};
  const WindowContext context = WindowContextFor(rect, 0x1234);
  for (const PixelRect& r : {context.position, context.clip}) {
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 301);
    EXPECT_EQ(r.bottom, 346);
  }
  EXPECT_EQ(context.frameWindow, 0x1234u);
  EXPECT_FALSE(context.mdiApp);
  EXPECT_EQ(context.accelerators, 0u);
  EXPECT_EQ(context.acceleratorEntries, 0u);
}

}  // namespace
}  // namespace tarvo
