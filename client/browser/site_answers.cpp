#include "client/browser/site_answers.h"

namespace tarvo {

SiteInterface InterfaceFor(const InterfaceId& iid) {
  // Each face also answers for itself, so that a query made through any of
  // them for that same interface succeeds as OLE requires.
  if (iid == kIidUnknown || iid == kIidOleClientSite) return SiteInterface::kClientSite;
  if (iid == kIidOleInPlaceSite) return SiteInterface::kInPlaceSite;
  if (iid == kIidStorage) return SiteInterface::kStorage;
  return SiteInterface::kNone;
}

std::int32_t MonikerAnswer(std::uint32_t assign, std::uint32_t which) {
  constexpr std::uint32_t kOnlyIfThere = 1;  // OLEGETMONIKER_ONLYIFTHERE
  constexpr std::uint32_t kContainer = 1;    // OLEWHICHMK_CONTAINER
  return assign == kOnlyIfThere && which == kContainer ? site_result::kFail : site_result::kNotImplemented;
}

WindowContext WindowContextFor(const PixelRect& rect, std::uintptr_t parentWindow) {
  return WindowContext{.position = rect,
                       .clip = rect,
                       .frameWindow = parentWindow,
                       .mdiApp = false,
                       .accelerators = 0,
                       .acceleratorEntries = 0};
}

}  // namespace tarvo
