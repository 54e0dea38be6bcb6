#pragma once
// The answers the browser host gives the browser object as its OLE container:
// which of its interfaces a query gets, the moniker answer, the window context
// for in-place activation, and the object's extent in HIMETRIC units
// (hundredths of a millimetre), the unit OLE objects take their size in.

#include <windows.h>
#include <ole2.h>

namespace tarvo {

// The host's three faces; the client site is also its identity (IUnknown).
enum class SiteInterface { kNone, kClientSite, kInPlaceSite, kStorage };

SiteInterface InterfaceFor(REFIID iid);

// GetMoniker: asked only-if-there for the container's moniker, the host has
// none to give (E_FAIL); anything else it does not implement (E_NOTIMPL).
HRESULT MonikerAnswer(DWORD assign, DWORD which);

// In-place activation inside `parentWindow` at `rect`: no frame or document
// window objects, the parent as the frame window, no accelerators. `cb` of the
// frame information is the caller's and stays.
void FillWindowContext(const RECT& rect, HWND parentWindow, IOleInPlaceFrame** frame,
                       IOleInPlaceUIWindow** document, RECT* position, RECT* clip,
                       OLEINPLACEFRAMEINFO* frameInfo);

// The extent of `rect` at the given pixels per logical inch: each coordinate
// is converted (MulDiv, rounded), then the differences taken.
SIZEL HimetricExtent(const RECT& rect, int pixelsPerInchX, int pixelsPerInchY);

}  // namespace tarvo
