#include "client/browser/site_answers_win.h"

#include <gtest/gtest.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

namespace tarvo {
namespace {

// ---- HIMETRIC extents -----------------------------------------------------------

bool operator==(const SIZEL& a, const SIZEL& b) { return a.cx == b.cx && a.cy == b.cy; }

TEST(HimetricExtent, PaneExtentsAtCommonScreenResolutions) {
  const struct {
    const char* name;
    RECT rect;
    int dpiX, dpiY;
    SIZEL expected;
  } cases[] = {
      {"640x342 at 96 dpi", {0, 0, 640, 342}, 96, 96, {16933, 9049}},
      {"notice pane at 96 dpi", {0, 0, 301, 346}, 96, 96, {7964, 9155}},
      {"banner pane at 96 dpi", {0, 0, 319, 109}, 96, 96, {8440, 2884}},
      {"x and y take their own resolution", {0, 0, 640, 342}, 96, 120, {16933, 7239}},
      {"144 dpi", {0, 0, 640, 342}, 144, 144, {11289, 6033}},
      {"empty", {5, 5, 5, 5}, 96, 96, {0, 0}},
      // 1 px = 26.46 -> 26 and 2 px = 52.92 -> 53: coordinates are converted
      // before the difference is taken, so one pixel spans 27 units here.
      {"one pixel from 1 to 2", {1, 1, 2, 2}, 96, 96, {27, 27}},
      {"negative start (the first activation)", {-300, -300, 300, 300}, 96, 96, {15876, 15876}},
  };
  for (const auto& c : cases) {
    const SIZEL got = HimetricExtent(c.rect, c.dpiX, c.dpiY);
    EXPECT_TRUE(got == c.expected) << c.name << ": " << got.cx << "x" << got.cy;
  }
}

// ---- the container's answers --------------------------------------------------------

TEST(BrowserSite, QueryInterfaceGivesTheHostsFacesAndRefusesTheRest) {
  // Differs from IUnknown in the last byte only.
  GUID nearUnknown = IID_IUnknown;
  nearUnknown.Data4[7] ^= 1;

  const struct {
    const char* name;
    const IID& iid;
    SiteInterface expected;
  } cases[] = {
      {"IUnknown", IID_IUnknown, SiteInterface::kClientSite},
      {"IOleClientSite", IID_IOleClientSite, SiteInterface::kClientSite},
      {"IOleInPlaceSite", IID_IOleInPlaceSite, SiteInterface::kInPlaceSite},
      {"IStorage", IID_IStorage, SiteInterface::kStorage},
      {"IOleObject", IID_IOleObject, SiteInterface::kNone},
      {"IOleInPlaceSiteEx", IID_IOleInPlaceSiteEx, SiteInterface::kNone},
      {"IDocHostUIHandler", IID_IDocHostUIHandler, SiteInterface::kNone},
      {"IServiceProvider", IID_IServiceProvider, SiteInterface::kNone},
      {"IDispatch", IID_IDispatch, SiteInterface::kNone},
      {"near IUnknown", nearUnknown, SiteInterface::kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(InterfaceFor(c.iid), c.expected) << c.name;
}

TEST(BrowserSite, GetMonikerFailsOnlyForTheContainerMonikerIfThere) {
  const struct {
    const char* name;
    DWORD assign, which;
    HRESULT expected;
  } cases[] = {
      {"container, only if there", OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, E_FAIL},
      {"relative, only if there", OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, E_NOTIMPL},
      {"full, only if there", OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, E_NOTIMPL},
      {"container, force assign", OLEGETMONIKER_FORCEASSIGN, OLEWHICHMK_CONTAINER, E_NOTIMPL},
      {"container, unassign", OLEGETMONIKER_UNASSIGN, OLEWHICHMK_CONTAINER, E_NOTIMPL},
      {"container, temporary", OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_CONTAINER, E_NOTIMPL},
  };
  for (const auto& c : cases) EXPECT_EQ(MonikerAnswer(c.assign, c.which), c.expected) << c.name;
}

TEST(BrowserSite, WindowContextPlacesTheObjectInTheParentWithoutFrameObjects) {
  const RECT rect{0, 0, 301, 346};
  const HWND parent = reinterpret_cast<HWND>(0x1234);
  auto* const notNull = reinterpret_cast<IOleInPlaceFrame*>(0x1);
  IOleInPlaceFrame* frame = notNull;
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(0x1);
  RECT position{}, clip{};
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof(info);
  info.fMDIApp = TRUE;
  info.haccel = reinterpret_cast<HACCEL>(0x1);
  info.cAccelEntries = 3;
  FillWindowContext(rect, parent, &frame, &document, &position, &clip, &info);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(document, nullptr);
  for (const RECT& r : {position, clip}) EXPECT_TRUE(EqualRect(&r, &rect));
  EXPECT_EQ(info.cb, sizeof(info));
  EXPECT_EQ(info.hwndFrame, parent);
  EXPECT_FALSE(info.fMDIApp);
  EXPECT_EQ(info.haccel, nullptr);
  EXPECT_EQ(info.cAccelEntries, 0u);
  // Every out parameter may be absent.
  FillWindowContext(rect, parent, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
}  // namespace tarvo
