#pragma once
// The answers the browser host gives the browser object as its OLE container:
// which of its interfaces a query gets, the moniker answer, and the window
// context for in-place activation. Kept free of platform headers; the host
// hands the values to the platform's interfaces unchanged.

#include <cstdint>

#include "client/browser/himetric.h"

namespace tarvo {

// An interface id with the layout of the platform's GUID.
struct InterfaceId {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::uint8_t data4[8] = {};

  friend bool operator==(const InterfaceId&, const InterfaceId&) = default;
};

// {00000000-0000-0000-C000-000000000046} and the other standard OLE ids.
inline constexpr InterfaceId kIidUnknown{0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr InterfaceId kIidOleClientSite{0x00000118, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr InterfaceId kIidOleInPlaceSite{0x00000119, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr InterfaceId kIidStorage{0x0000000B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Result codes with the platform's values.
namespace site_result {
inline constexpr std::int32_t kOk = 0;
inline constexpr std::int32_t kNotImplemented = static_cast<std::int32_t>(0x80004001u);
inline constexpr std::int32_t kNoInterface = static_cast<std::int32_t>(0x80004002u);
inline constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);
}  // namespace site_result

// The host's three faces; the client site is also its identity (IUnknown).
enum class SiteInterface { kNone, kClientSite, kInPlaceSite, kStorage };

SiteInterface InterfaceFor(const InterfaceId& iid);

// GetMoniker: asked only-if-there (assign 1) for the container's moniker
// (which 1) the host has none to give; anything else it does not implement.
std::int32_t MonikerAnswer(std::uint32_t assign, std::uint32_t which);

struct WindowContext {
  PixelRect position;
  PixelRect clip;
  std::uintptr_t frameWindow = 0;
  bool mdiApp = false;
  std::uintptr_t accelerators = 0;
  std::uint32_t acceleratorEntries = 0;
};

// In-place activation inside `parentWindow` at `rect`: no frame or document
// window objects, the parent as the frame window, no accelerators.
WindowContext WindowContextFor(const PixelRect& rect, std::uintptr_t parentWindow);

}  // namespace tarvo
