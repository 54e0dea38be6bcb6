#include "client/browser/site_answers_win.h"

namespace tarvo {

SiteInterface InterfaceFor(REFIID iid) {
  // Each face also answers for itself, so that a query made through any of
  // them for that same interface succeeds as OLE requires.
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) return SiteInterface::kClientSite;
  if (IsEqualIID(iid, IID_IOleInPlaceSite)) return SiteInterface::kInPlaceSite;
  if (IsEqualIID(iid, IID_IStorage)) return SiteInterface::kStorage;
  return SiteInterface::kNone;
}

HRESULT MonikerAnswer(DWORD assign, DWORD which) {
  return assign == OLEGETMONIKER_ONLYIFTHERE && which == OLEWHICHMK_CONTAINER ? E_FAIL : E_NOTIMPL;
}

void FillWindowContext(const RECT& rect, HWND parentWindow, IOleInPlaceFrame** frame,
                       IOleInPlaceUIWindow** document, RECT* position, RECT* clip,
                       OLEINPLACEFRAMEINFO* frameInfo) {
  if (frame != nullptr) *frame = nullptr;
  if (document != nullptr) *document = nullptr;
  if (position != nullptr) *position = rect;
  if (clip != nullptr) *clip = rect;
  if (frameInfo != nullptr) {
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = parentWindow;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
}

SIZEL HimetricExtent(const RECT& rect, int pixelsPerInchX, int pixelsPerInchY) {
  constexpr int kHimetricPerInch = 2540;
  const auto x = [&](LONG pixels) { return MulDiv(pixels, kHimetricPerInch, pixelsPerInchX); };
  const auto y = [&](LONG pixels) { return MulDiv(pixels, kHimetricPerInch, pixelsPerInchY); };
  return SIZEL{x(rect.right) - x(rect.left), y(rect.bottom) - y(rect.top)};
}

}  // namespace tarvo
